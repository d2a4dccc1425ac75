// The WebAssembly module (vantorel.wasm: vantorel-sim, the simulated host
// and the plugin linked in), compiled once, and programs made from it.
// Every program is an instance of its own, with its own memory: one for the
// live match, one for the shading's scratch host, and a fresh one for each
// script played, as each run of vantorel-sim is a process of its own.

import createVantorel from './vantorel.js';

let compiled = null;

// Compiled as it downloads where the server says what a .wasm file is
// (application/wasm); from the whole file where it does not.
async function compileModule() {
  const response = await fetch(new URL('vantorel.wasm', import.meta.url));
  try {
    return await WebAssembly.compileStreaming(response.clone());
  } catch {
    return WebAssembly.compile(await response.arrayBuffer());
  }
}

function compile() {
  compiled ??= compileModule();
  return compiled;
}

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// One instance of the module, and the C functions of web/src/Exports.cpp
// wrapped for JavaScript: strings in and out, words read from its memory.
export class Program {
  constructor(module) {
    this.module = module;
  }

  // Calls the C function `vantorel_NAME`, strings passed as UTF-8 and
  // freed after.
  call(name, ...args) {
    const held = [];
    const values = args.map((arg) => {
      if (typeof arg !== 'string') return arg;
      const bytes = encoder.encode(arg);
      const address = this.module._malloc(bytes.length + 1);
      this.module.HEAPU8.set(bytes, address);
      this.module.HEAPU8[address + bytes.length] = 0;
      held.push(address);
      return address;
    });
    try {
      return this.module[`_vantorel_${name}`](...values);
    } finally {
      held.forEach((address) => this.module._free(address));
    }
  }

  // The text a function gave (a pointer; vantorel_text_size bytes).
  text(name, ...args) {
    const address = this.call(name, ...args);
    const size = this.module._vantorel_text_size();
    return decoder.decode(this.module.HEAPU8.subarray(address, address + size));
  }

  // `count` 32-bit words at `address`, copied out of the module's memory.
  words(address, count) {
    return this.module.HEAP32.slice(address >> 2, (address >> 2) + count);
  }

  // A scene buffer (web/src/SceneBuffer.h) at `address`, copied, with the
  // names of its cars.
  scene(address) {
    const heap = this.module.HEAP32;
    const start = address >> 2;
    const cars = heap[start + 2];
    const calls = heap[start + 6];
    const words = heap.slice(start, start + 7 + cars * 5 + calls * 10);
    const names = this.text('scene_names').split('\n');
    return { words, names: names.slice(0, cars) };
  }
}

// A fresh program: the module instantiated anew, its main run.
export async function newProgram() {
  const wasm = await compile();
  const module = await createVantorel({
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(wasm, imports).then((instance) => receive(instance, wasm));
      return {};
    },
  });
  return new Program(module);
}

// vantorel-sim with no options on `script`, saved as the file `name`, in a
// program of its own: {out, err, code}.
export async function playScript(script, name = 'script.scn') {
  const program = await newProgram();
  const code = program.call('play', name, script);
  return { out: program.text('play_out'), err: program.text('play_err'), code };
}

// The host and plugin frame of vantorel-bench's match (tests/support's
// FrameScene, best-car mode) in the WebAssembly build, under node, beside
// vantorel-bench's own figure for the native build when its path is given:
//
//   node bench/web-frames.mjs build/web/site [build/bench/bin/vantorel-bench]
//
// Medians of five runs, in CPU time; the page's Numbers panel times the same
// frames in the browser, by the clock.

import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const [site, nativeBench] = process.argv.slice(2);
const CASES = [[6, 200000], [1024, 2000]];

// The module is built for the page and node alike; under node, as an ES
// module, it still looks for CommonJS's require and __dirname.
globalThis.require = createRequire(import.meta.url);
globalThis.__dirname = resolve(site);
const { default: createVantorel } = await import(pathToFileURL(resolve(site, 'vantorel.js')));
const module = await createVantorel({ wasmBinary: readFileSync(join(site, 'vantorel.wasm')) });

const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];

// CPU time, as vantorel-bench counts it: on a busy machine the time on the
// clock would count other programs' turns too.
function cpuMicroseconds(cars, frames) {
  const start = process.cpuUsage();
  module._vantorel_time_frames(cars, frames);
  const { user, system } = process.cpuUsage(start);
  return user + system;
}

// Nanoseconds a frame, the match's set-up (timed with one frame) taken off.
function wasmFrame(cars, frames) {
  cpuMicroseconds(cars, frames);  // warm up: the engine's optimising tier
  return median(Array.from({ length: 5 }, () =>
    ((cpuMicroseconds(cars, frames) - cpuMicroseconds(cars, 1)) * 1000) / (frames - 1)));
}

// vantorel-bench's median CPU time of frame/best/N, in nanoseconds.
function nativeFrames() {
  const folder = mkdtempSync(join(tmpdir(), 'web-frames-'));
  const out = join(folder, 'bench.json');
  execFileSync(nativeBench, ['--benchmark_filter=^frame/best/(6|1024)$',
    `--benchmark_out=${out}`, '--benchmark_out_format=json'], { stdio: 'ignore' });
  // Google Benchmark writes a counter it cannot work out as NaN, which JSON
  // does not have.
  const runs = JSON.parse(readFileSync(out, 'utf8').replace(/\bNaN\b/g, 'null')).benchmarks;
  rmSync(folder, { recursive: true });
  const figures = new Map();
  for (const run of runs) {
    if (run.aggregate_name === 'median') figures.set(run.run_name, run.cpu_time);
  }
  return figures;
}

const native = nativeBench ? nativeFrames() : new Map();
console.log('cars  WebAssembly ns  native ns  ratio');
for (const [cars, frames] of CASES) {
  const wasm = wasmFrame(cars, frames);
  const own = native.get(`frame/best/${cars}`);
  const columns = [String(cars).padStart(4), wasm.toFixed(1).padStart(14),
    own ? own.toFixed(1).padStart(10) : '         -', own ? (wasm / own).toFixed(2).padStart(6) : ''];
  console.log(columns.join('  '));
}

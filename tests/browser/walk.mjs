// Walks the playground in headless Chromium, as a person would and as a
// program would, and checks what the page shows against what vantorel-sim
// prints. Run by the browser stage of scripts/test.sh:
//
//   node tests/browser/walk.mjs URL EXAMPLES_FOLDER SCREENSHOT
//
// URL serves build/web/site; SCREENSHOT is written (docs/playground.png).

import assert from 'node:assert/strict';
import { readFileSync, readdirSync } from 'node:fs';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';

const [url, examples, screenshot] = process.argv.slice(2);
const CHROMIUM = process.env.CHROMIUM ?? '/usr/lib/chromium/chromium';
const WEIGHT = 'vantorel_swap_distanceweight';

const browser = await puppeteer.launch({
  executablePath: CHROMIUM,
  headless: true,
  args: ['--no-sandbox'],
});
const page = await browser.newPage();
const problems = [];
page.on('pageerror', (error) => problems.push(error.message));
await page.setViewport({ width: 1280, height: 720 });

let failed = 0;
async function step(title, check) {
  const start = Date.now();
  try {
    const note = await check();
    console.log(`ok    ${title} (${Date.now() - start} ms)${note ? `: ${note}` : ''}`);
  } catch (error) {
    failed += 1;
    console.log(`FAIL  ${title}\n${error.stack ?? error}`);
  }
}

const inPage = (fn, ...args) => page.evaluate(fn, ...args);
const live = (name, ...args) => inPage((n, a) => globalThis.vantorel.live[n](...a), name, args);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const consoleText = () => inPage(() => globalThis.vantorel.playground.console.text());
// Waits (a few seconds at most) for the console to end with `last`; a
// failure shows how it ends instead.
async function consoleEndsWith(last) {
  const ends = (text) => globalThis.vantorel.playground.console.text().endsWith(text);
  await page.waitForFunction(ends, { timeout: 5000 }, last).catch(async () => {
    assert.fail(`the console ends with\n${(await consoleText()).slice(-400)}`);
  });
}

async function open() {
  await page.goto(url);
  await page.waitForFunction(() => document.body.dataset.ready, { timeout: 30000 });
  assert.equal(await inPage(() => document.body.dataset.ready), 'true', problems.join('\n'));
}

// A car's line of a script the live match wrote ("car NAME ... loc=X,Y,Z").
function carOf(script, name) {
  const line = script.split('\n').find((l) => l.startsWith(`car ${name} `));
  const field = (key) => line.match(new RegExp(` ${key}=([^ ]+)`))[1].split(',').map(Number);
  return { loc: field('loc'), rot: field('rot') };
}

await step('the screenshot: free play 60 steps in, shaded, after a press', async () => {
  const context = await browser.createBrowserContext();
  const shot = await context.newPage();
  await shot.setViewport({ width: 1280, height: 720 });
  await shot.goto(`${url}?steps=60`);
  await shot.waitForFunction(() => document.body.dataset.ready === 'true');
  await shot.click('#shading');
  await shot.waitForFunction(() => globalThis.vantorel.live.shading());
  await shot.focus('#field');
  await shot.keyboard.press('Space');
  await shot.type('#command', 'frame\n');
  await shot.waitForFunction(() => globalThis.vantorel.live.shading() !== null &&
    document.querySelector('#console').textContent.includes('[press]'));
  await shot.focus('#field');  // no caret blinking in the picture
  await shot.$eval('#panels', (panels) => { panels.scrollTop = 0; });
  await sleep(300);
  await shot.screenshot({ path: screenshot });
  await context.close();
});

await step('the page opens on free play, plugin and overlay on', async () => {
  await open();
  const values = Object.fromEntries((await live('variables')).map((v) => [v.name, v.value]));
  assert.equal(values.vantorel_enable, '1');
  assert.equal(values.vantorel_render_enable, '1');
  assert.equal(Object.keys(values).length, 12);
});

await step('play() of every example gives its .out byte for byte', async () => {
  const names = readdirSync(examples).filter((name) => name.endsWith('.scn'));
  for (const name of names) {
    const script = readFileSync(join(examples, name), 'utf8');
    const expected = readFileSync(join(examples, name.replace(/\.scn$/, '.out')), 'utf8');
    const result = await inPage((text) => globalThis.vantorel.play(text), script);
    assert.equal(result.code, 0, `${name}: ${result.err}`);
    assert.equal(result.err, '');
    assert.ok(result.out === expected, `${name}: the transcript differs from ${name}.out`);
  }
  const bad = await inPage(() => globalThis.vantorel.play('car A\nnosuch 1\n'));
  assert.deepEqual(bad, { out: '', code: 2,
    err: 'vantorel-sim: script.scn:2: unknown command or console variable "nosuch"\n' });
  return `${names.length} examples`;
});

await step('the arrow keys drive the local car', async () => {
  await page.focus('#field');
  const before = carOf(await live('sceneScript'), 'Ava');
  await page.keyboard.down('ArrowUp');
  await page.keyboard.down('ArrowRight');
  await sleep(700);
  await page.keyboard.up('ArrowRight');
  await page.keyboard.up('ArrowUp');
  const after = carOf(await live('sceneScript'), 'Ava');
  const moved = Math.hypot(after.loc[0] - before.loc[0], after.loc[1] - before.loc[1]);
  assert.ok(moved > 200, `Ava moved ${moved} units`);
  assert.notEqual(after.rot[1], before.rot[1], 'Ava turned');
  return `Ava moved ${moved.toFixed(0)} units`;
});

// The marker, paused: its draw calls, the car under it, and the canvas.
async function marker() {
  await live('pause');
  await sleep(100);
  const scene = await live('scene');
  const lines = scene.calls.filter((call) => call.kind === 'line');
  assert.equal(lines.length, 3, 'the overlay draws its marker');
  const height = Number((await live('variables')).find((v) => v.name ===
      'vantorel_render_iconheight').value);
  const tip = lines[0].end;
  const marked = scene.cars.find((car) => car.x === tip[0] && car.y - 2 * height === tip[1]);
  assert.ok(marked, 'the marker stands over a car');
  return { lines, marked };
}

await step("the marker's yellow pixels stand where its draw calls put them", async () => {
  const { lines } = await marker();
  const found = await inPage((segments) => {
    const canvas = document.querySelector('#field');
    const { data, width, height } = canvas.getContext('2d')
      .getImageData(0, 0, canvas.width, canvas.height);
    const yellow = (x, y) => {
      const i = (y * width + x) * 4;
      return data[i] > 200 && data[i + 1] > 200 && data[i + 2] < 90;
    };
    // Distance from a pixel's centre to a segment between pixel centres.
    const distance = (px, py, { start: [ax, ay], end: [bx, by] }) => {
      const [dx, dy] = [bx - ax, by - ay];
      const t = Math.max(0, Math.min(1, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)));
      return Math.hypot(px - ax - t * dx, py - ay - t * dy);
    };
    let count = 0;
    let farthest = 0;
    for (let y = 0; y < height; y += 1) {
      for (let x = 0; x < width; x += 1) {
        if (!yellow(x, y)) continue;
        count += 1;
        farthest = Math.max(farthest, Math.min(...segments.map((s) => distance(x, y, s))));
      }
    }
    const midpoints = segments.every(({ start, end }) =>
      yellow(Math.round((start[0] + end[0]) / 2), Math.round((start[1] + end[1]) / 2)));
    return { count, farthest, midpoints };
  }, lines);
  assert.ok(found.count > 20, `${found.count} yellow pixels`);
  assert.ok(found.midpoints, 'each line is yellow at its middle');
  assert.ok(found.farthest <= lines[0].width / 2 + 1.5,
    `a yellow pixel stands ${found.farthest} px from the marker's lines`);
  return `${found.count} yellow pixels, none farther than ${found.farthest.toFixed(2)} px`;
});

await step('Space swaps Ava with the marked car, as vantorel-sim says for that scene', async () => {
  const { marked } = await marker();
  const script = await live('sceneScript');
  const expected = await inPage((text) => globalThis.vantorel.play(text),
    `${script}press\nshow cars\n`);
  assert.equal(expected.code, 0, expected.err);
  const before = await consoleText();
  await page.focus('#field');
  await page.keyboard.press('Space');
  await live('command', 'show cars');
  await sleep(100);
  const shown = (await consoleText()).slice(before.length);
  assert.equal(shown, expected.out);
  const markedBefore = carOf(script, marked.name);
  const avaAfter = carOf(await live('sceneScript'), 'Ava');
  assert.deepEqual(avaAfter.loc, markedBefore.loc, `Ava took ${marked.name}'s place`);
  await live('resume');
  return `Ava took ${marked.name}'s place`;
});

const valueOf = async (name) => (await live('variables')).find((v) => v.name === name).value;
const numberField = (name) => `#setting-${name} ~ input[type=number]`;

async function typeInto(selector, text) {
  await page.click(selector, { clickCount: 3 });
  await page.keyboard.type(text);
  await page.keyboard.press('Enter');
}

await step('the controls carry the host\'s bounds; the host clamps what is typed', async () => {
  const bounds = await inPage(() => Array.from(document.querySelectorAll('#settings input'),
    (input) => [input.id || input.getAttribute('aria-label'), input.type, input.min, input.max]));
  for (const variable of await live('variables')) {
    const inputs = bounds.filter(([id]) => id.includes(variable.name));
    assert.equal(inputs.length, variable.kind === 'bool' ? 1 : 2, variable.name);
    if (variable.kind === 'bool') continue;
    for (const [, , min, max] of inputs) {
      assert.deepEqual([min, max], [String(variable.min), String(variable.max)]);
    }
  }
  await typeInto(numberField('vantorel_render_iconsize'), '99');
  assert.equal(await valueOf('vantorel_render_iconsize'), '40');
  assert.equal(await inPage((f) => document.querySelector(f).value,
    numberField('vantorel_render_iconsize')), '40');
  await consoleEndsWith('[cvar] vantorel_render_iconsize = 40\n');
});

await step('a changed setting survives a reload, kept as the host\'s configuration file', async () => {
  await typeInto(numberField(WEIGHT), '0.8');
  assert.equal(await valueOf(WEIGHT), '0.8');
  const kept = await inPage(() => localStorage.getItem('vantorel.cfg'));
  const lines = kept.trim().split('\n');
  assert.equal(lines.length, 12);
  assert.ok(lines.every((line) => /^vantorel_[a-z_]+ "[0-9.]+"$/.test(line)), kept);
  assert.ok(lines.includes(`${WEIGHT} "0.8"`), kept);
  await open();
  assert.equal(await valueOf(WEIGHT), '0.8');
  assert.equal(await inPage((f) => document.querySelector(f).value, numberField(WEIGHT)), '0.8');
});

await step('the console: [frame] and [draw] lines only when asked; a bad typed line', async () => {
  const drawing = async () => /^\[(frame|draw)\]/m.test(await consoleText());
  assert.equal(await drawing(), false);
  await page.click('#show-drawing');
  await sleep(200);
  assert.ok((await consoleText()).includes('[draw] color 255 255 0 255\n'));
  await page.click('#show-drawing');
  await typeInto('#command', 'nosuch 1');
  await consoleEndsWith('vantorel-sim: (console): unknown command or console variable "nosuch"\n');
});

// The shading once a grid is finished after `since` (null: any).
async function shading(since) {
  await page.waitForFunction((previous) => {
    const shown = globalThis.vantorel.live.shading();
    return shown && shown !== globalThis[previous];
  }, { timeout: 20000 }, since ?? '__none');
  return inPage(() => {
    globalThis.__lastShading = globalThis.vantorel.live.shading();
    return Array.from(globalThis.__lastShading.cells);
  });
}

await step('the shading changes when the weight changes', async () => {
  await page.focus('#shading');
  await page.keyboard.press('Space');
  await live('pause');
  await shading();
  const settled = await shading('__lastShading');
  const again = await shading('__lastShading');
  assert.deepEqual(again, settled, 'a paused match shades alike twice');
  assert.ok(new Set(settled).size >= 2, 'more than one team-mate is chosen somewhere');
  await page.focus(`#setting-${WEIGHT}`);
  await page.keyboard.press('Home');  // the slider to 0: facing alone
  await shading('__lastShading');  // may have begun before the change
  const moved = await shading('__lastShading');
  const changed = moved.filter((cell, i) => cell !== settled[i]).length;
  assert.ok(changed > 0, 'no cell changed');
  await live('resume');
  return `${changed} of ${moved.length} cells changed`;
});

await step('a .scn file opened plays as vantorel-sim plays it', async () => {
  const input = await page.$('#file');
  await input.uploadFile(join(examples, 'demo.scn'));
  await page.waitForFunction(() => document.querySelector('#script-name').value === 'demo.scn');
  await page.click('#play');
  await page.waitForFunction(() => !document.querySelector('#script-controls').hidden);
  assert.equal(await consoleText(), readFileSync(join(examples, 'demo.out'), 'utf8'));
  await page.click('#back');
});

await step('an example plays in the page, frame by frame, its transcript exact', async () => {
  await page.select('#examples', 'moving');
  await page.waitForFunction(() => document.querySelector('#editor').value.includes('motion on'));
  await page.click('#play');
  await page.waitForFunction(() => !document.querySelector('#script-controls').hidden);
  assert.equal(await consoleText(), readFileSync(join(examples, 'moving.out'), 'utf8'));
  await page.click('#frame-toggle');  // pause
  const counter = () => inPage(() => document.querySelector('#frame-counter').textContent);
  const paused = await counter();
  await page.click('#frame-step');
  assert.notEqual(await counter(), paused);
  assert.match(await counter(), /of 100$/);
  await page.click('#back');
});

await step('a bad line is shown with its number and message', async () => {
  await page.$eval('#editor', (editor) => { editor.value = 'car A\ncar A\n'; });
  await page.click('#play');
  await page.waitForFunction(() => document.querySelector('#script-error').textContent);
  assert.equal(await inPage(() => document.querySelector('#script-error').textContent),
    'Line 2: there is a car named "A" already');
  assert.equal(await consoleText(),
    'vantorel-sim: moving.scn:2: there is a car named "A" already\n');
  await page.click('#back');
});

await step('reset goes back to the defaults, the plugin and overlay on', async () => {
  await page.click('#reset');
  for (const variable of await live('variables')) {
    const opening = ['vantorel_enable', 'vantorel_render_enable'].includes(variable.name);
    assert.equal(variable.value, opening ? '1' : variable.default, variable.name);
  }
  assert.ok((await inPage(() => localStorage.getItem('vantorel.cfg'))).includes(`${WEIGHT} "0.5"`));
});

await step('on a phone-sized screen the controls come below the field', async () => {
  await page.setViewport({ width: 390, height: 844 });
  const [field, panels] = await inPage(() => ['#field', '#panels'].map((s) =>
    document.querySelector(s).getBoundingClientRect().toJSON()));
  assert.ok(panels.top >= field.bottom, 'the panels start below the field');
  assert.ok(field.width <= 390, 'the field fits the width');
  await page.setViewport({ width: 1280, height: 720 });
});

await step('1,024 cars: painting holds 60 frames a second; the frame benchmark', async () => {
  await page.$eval('#cars', (cars) => {
    cars.value = '1024';
    cars.dispatchEvent(new Event('change'));
  });
  await page.waitForFunction(() => globalThis.vantorel.live.scene().cars.length === 1024);
  await sleep(2500);
  const numbers = await inPage(() => {
    const { playground } = globalThis.vantorel;
    const fps = Number(document.querySelector('#fps').textContent);
    // Reading a pixel back makes the canvas finish painting: the time is
    // the whole of it, not only the calls that ask for it.
    const context = document.querySelector('#field').getContext('2d');
    const start = performance.now();
    for (let i = 0; i < 60; i += 1) {
      playground.painter.paint(playground.lastScene, { markings: playground.markings, facing: true });
      context.getImageData(0, 0, 1, 1);
    }
    return { fps, paint: (performance.now() - start) / 60, host: playground.hostTime.shown };
  });
  assert.ok(numbers.paint < 1000 / 60, `painting 1,024 cars takes ${numbers.paint} ms`);
  const frames = await inPage(() => globalThis.vantorel.measureFrames());
  return `painting ${numbers.paint.toFixed(2)} ms a frame (${numbers.fps} frames a second ` +
    `shown); host and plugin ${(numbers.host * 1000).toFixed(0)} µs a step; benchmark: ` +
    frames.map((f) => `${f.cars} cars ${(f.nanoseconds / 1000).toFixed(2)} µs a frame`).join(', ');
});

assert.deepEqual(problems, [], 'errors in the page');
await browser.close();
if (failed) {
  console.log(`${failed} step(s) failed`);
  process.exit(1);
}

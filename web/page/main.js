// The playground page: free play on the live match, the settings, the
// shading, scripts and the numbers, wired together; and the interface for
// programs, globalThis.vantorel.

import { ConsolePane } from './consolepane.js';
import { LiveMatch } from './live.js';
import { newProgram, playScript } from './module.js';
import { Painter, SceneView } from './painter.js';
import { FramePlayer, ScriptPanel } from './scripts.js';
import { SettingsPanel, savedConfig } from './settings.js';
import { Shading } from './shading.js';

const $ = (selector) => document.querySelector(selector);

const STEP_MS = 1000 / 60;
const MOST_STEPS_A_FRAME = 4;  // after a stall the match catches up no further
const SHADING_BUDGET_MS = 2;
const FIELD = { halfWidth: 4096, halfLength: 5120, goalHalfWidth: 893, goalDepth: 880,
                boxHalfWidth: 2000, boxDepth: 1200, circleRadius: 1000 };

// Arrow keys and WASD: what each asks of the car.
const DRIVING_KEYS = {
  ArrowUp: ['throttle', 1], KeyW: ['throttle', 1],
  ArrowDown: ['throttle', -1], KeyS: ['throttle', -1],
  ArrowLeft: ['steer', -1], KeyA: ['steer', -1],
  ArrowRight: ['steer', 1], KeyD: ['steer', 1],
};

// A running mean over the last half second or so.
class Mean {
  constructor() { this.total = 0; this.count = 0; this.shown = null; }
  add(value, count = 1) { this.total += value; this.count += count; }
  take() {
    if (this.count > 0) this.shown = this.total / this.count;
    this.total = 0;
    this.count = 0;
    return this.shown;
  }
}

// The field's lines, as world polylines on the ground.
function fieldLines() {
  const f = FIELD;
  const lines = [
    [[f.halfWidth, -f.halfLength], [f.halfWidth, f.halfLength], [-f.halfWidth, f.halfLength],
     [-f.halfWidth, -f.halfLength], [f.halfWidth, -f.halfLength]],
    [[f.halfWidth, 0], [-f.halfWidth, 0]],
  ];
  for (const end of [-1, 1]) {
    const line = end * f.halfLength;
    lines.push([[f.goalHalfWidth, line], [f.goalHalfWidth, line + end * f.goalDepth],
                [-f.goalHalfWidth, line + end * f.goalDepth], [-f.goalHalfWidth, line]]);
    lines.push([[f.boxHalfWidth, line], [f.boxHalfWidth, line - end * f.boxDepth],
                [-f.boxHalfWidth, line - end * f.boxDepth], [-f.boxHalfWidth, line]]);
  }
  const circle = [];
  for (let i = 0; i <= 48; i += 1) {
    const angle = (i / 48) * 2 * Math.PI;
    circle.push([f.circleRadius * Math.cos(angle), f.circleRadius * Math.sin(angle)]);
  }
  lines.push(circle);
  return lines;
}

class Playground {
  async start() {
    this.console = new ConsolePane($('#console'));
    this.painter = new Painter($('#field'));
    this.keys = { throttle: new Set(), steer: new Set() };
    this.paused = false;
    this.mode = 'live';
    this.hostTime = new Mean();
    this.paintTime = new Mean();
    this.frames = 0;
    await this.openLive();
    this.settings = new SettingsPanel($('#settings'), this.live);
    this.scripts = new ScriptPanel({
      examples: $('#examples'), file: $('#file'), editor: $('#editor'), name: $('#script-name'),
      play: $('#play'), error: $('#script-error'),
    }, (result) => this.showScript(result));
    this.player = new FramePlayer({
      toggle: $('#frame-toggle'), step: $('#frame-step'), speed: $('#frame-speed'),
      counter: $('#frame-counter'),
    }, (frame, line) => {
      this.painter.paint(frame.view);
      if (line !== undefined) this.console.mark(line);
    });
    this.wire();
    // ?steps=N opens free play N steps in, paused: the same picture every
    // time, for a screenshot.
    const steps = Number(new URLSearchParams(location.search).get('steps') ?? 0);
    for (let i = 0; i < steps; i += 1) this.live.step(0, 0);
    if (steps > 0) this.setPaused(true);
    await this.scripts.listExamples();
    this.lastTime = performance.now();
    this.lastNumbers = this.lastTime;
    requestAnimationFrame((now) => this.frame(now));
    $('#field').focus();
    document.body.dataset.ready = 'true';
  }

  async openLive(cars = 6) {
    const config = this.live ? this.live.saveConfig() : savedConfig();
    this.live = await LiveMatch.open(config);
    if (cars > 6) this.live.addCars(cars - 6);
    this.live.showDrawing($('#show-drawing').checked);
    this.project();
    if (this.shading) this.shading = await Shading.open(this.live);
    this.settings?.setLive(this.live);
  }

  // Where the field's lines stand on the canvas, as the host's camera
  // projects them (again after a typed line, which may move the camera).
  project() {
    this.markings = fieldLines().map((line) => line.map(([x, y]) => this.live.project(x, y, 0)));
    this.shading?.project();
  }

  wire() {
    document.addEventListener('keydown', (event) => this.keyDown(event));
    document.addEventListener('keyup', (event) => this.keyUp(event));
    window.addEventListener('blur', () => this.releaseKeys());
    $('#pause').addEventListener('click', () => this.setPaused(!this.paused));
    $('#press').addEventListener('click', () => this.live.press());
    $('#scene-script').addEventListener('click', () => {
      this.scripts.show(this.live.sceneScript(), 'scene.scn');
      $('#scripts-panel').open = true;
      $('#editor').focus();
    });
    $('#back').addEventListener('click', () => this.backToLive());
    $('#reset').addEventListener('click', () => this.settings.reset());
    $('#shading').addEventListener('change', () => this.toggleShading());
    $('#show-drawing').addEventListener('change', () => {
      this.live.showDrawing($('#show-drawing').checked);
    });
    $('#command-form').addEventListener('submit', (event) => {
      event.preventDefault();
      const line = $('#command').value;
      const outcome = this.live.command(line);
      if (!outcome.ok) {
        this.console.append(`vantorel-sim: (console): ${outcome.message}\n`, 'error');
      }
      $('#command').value = '';
      this.settings.refresh();
      this.project();
    });
    $('#cars').addEventListener('change', () => this.setCars(Number($('#cars').value)));
    $('#benchmark').addEventListener('click', () => this.benchmark());
  }

  // Keys drive the car while the field (or nothing) has the focus; in a
  // control they are the control's. Escape brings the focus back.
  keyDown(event) {
    if (event.key === 'Escape') {
      $('#field').focus();
      return;
    }
    const target = event.target;
    if (target !== document.body && target !== $('#field')) return;
    const drive = DRIVING_KEYS[event.code];
    if (drive) {
      this.keys[drive[0]].add(event.code);
      event.preventDefault();
    } else if (event.code === 'Space') {
      event.preventDefault();
      if (!event.repeat && this.mode === 'live') this.live.press();
    } else if (event.code === 'KeyP') {
      this.setPaused(!this.paused);
    }
  }

  keyUp(event) {
    const drive = DRIVING_KEYS[event.code];
    if (drive) this.keys[drive[0]].delete(event.code);
  }

  releaseKeys() {
    this.keys.throttle.clear();
    this.keys.steer.clear();
  }

  // -1, 0 or 1 for `axis`, from the keys held.
  control(axis) {
    let sum = 0;
    for (const code of this.keys[axis]) sum += DRIVING_KEYS[code][1];
    return Math.sign(sum);
  }

  setPaused(paused) {
    this.paused = paused;
    $('#pause').textContent = paused ? 'Resume' : 'Pause';
    $('#mode').textContent = paused ? 'Free play (paused)' : 'Free play';
  }

  async toggleShading() {
    if ($('#shading').checked && !this.shading) this.shading = await Shading.open(this.live);
    if (!$('#shading').checked) $('#legend').replaceChildren();
  }

  frame(now) {
    const elapsed = Math.min(now - this.lastTime, 250);
    this.lastTime = now;
    this.frames += 1;
    if (this.mode === 'live') this.liveFrame(elapsed);
    else this.player.tick(elapsed);
    if (now - this.lastNumbers >= 500) this.showNumbers(now);
    requestAnimationFrame((time) => this.frame(time));
  }

  liveFrame(elapsed) {
    if (!this.paused) {
      this.carry = (this.carry ?? 0) + elapsed;
      const steps = Math.min(Math.floor(this.carry / STEP_MS), MOST_STEPS_A_FRAME);
      this.carry = steps === MOST_STEPS_A_FRAME ? 0 : this.carry - steps * STEP_MS;
      const start = performance.now();
      for (let i = 0; i < steps; i += 1) {
        this.live.step(this.control('throttle'), this.control('steer'));
      }
      if (steps > 0) this.hostTime.add(performance.now() - start, steps);
    }
    this.console.append(this.live.takeLines());
    const shading = $('#shading').checked && this.shading;
    if (shading) {
      const before = this.shading.shown;
      this.shading.tick(SHADING_BUDGET_MS);
      if (this.shading.shown !== before) this.showLegend();
    }
    this.lastScene = new SceneView(this.live.scene());
    const start = performance.now();
    this.painter.paint(this.lastScene, {
      markings: this.markings, facing: true, shading: shading ? this.shading.shown : null,
    });
    this.paintTime.add(performance.now() - start);
  }

  showLegend() {
    const items = [];
    for (const [index, [r, g, b]] of this.shading.shown.colours) {
      if (index >= 12) continue;  // a legend of a crowd says nothing
      const item = document.createElement('li');
      item.innerHTML = `<span style="background: rgb(${r}, ${g}, ${b})"></span>`;
      item.append(this.lastScene?.names[index] ?? `car ${index}`);
      items.push(item);
    }
    $('#legend').replaceChildren(...items);
  }

  showNumbers(now) {
    const host = this.hostTime.take();
    const paint = this.paintTime.take();
    $('#host-time').textContent = host === null ? '–' : `${(host * 1000).toFixed(1)} µs a step`;
    $('#paint-time').textContent = paint === null ? '–' : `${paint.toFixed(2)} ms a frame`;
    $('#fps').textContent = ((this.frames * 1000) / (now - this.lastNumbers)).toFixed(0);
    $('#car-count').textContent = this.lastScene ? String(this.lastScene.carCount) : '–';
    this.frames = 0;
    this.lastNumbers = now;
  }

  async setCars(count) {
    const have = this.lastScene?.carCount ?? 6;
    if (count >= have) {
      this.live.addCars(count - have);
    } else {
      await this.openLive(count);
    }
  }

  showScript(result) {
    this.mode = 'script';
    $('#live-controls').hidden = true;
    $('#script-controls').hidden = false;
    $('#mode').textContent = `Script (exit status ${result.code})`;
    this.console.show(result.out, result.err);
    if (result.frames.length) this.player.load(result);
  }

  backToLive() {
    this.mode = 'live';
    $('#live-controls').hidden = false;
    $('#script-controls').hidden = true;
    this.setPaused(this.paused);
    this.console.clear();
    $('#field').focus();
  }

  // The host and plugin frame of vantorel-bench's match, in a program of
  // its own: the median of five runs of many frames each.
  async benchmark() {
    $('#benchmark-result').textContent = 'Measuring…';
    await new Promise((resolve) => setTimeout(resolve, 20));
    const result = await measureFrames();
    $('#benchmark-result').textContent = result.map(({ cars, nanoseconds }) =>
      `${cars} cars: ${(nanoseconds / 1000).toFixed(2)} µs a frame`).join('; ');
  }
}

// vantorel-bench's frame at 6 and 1,024 cars (best-car mode) in this
// browser: [{cars, nanoseconds}], each the median of five runs.
export async function measureFrames() {
  const program = await newProgram();
  return [[6, 100000], [1024, 1000]].map(([cars, frames]) => {
    const runs = Array.from({ length: 5 }, () => program.call('time_frames', cars, frames));
    runs.sort((a, b) => a - b);
    return { cars, nanoseconds: runs[2] };
  });
}

const playground = new Playground();

// The interface for programs: play(script) is vantorel-sim with no options
// on that script, in a program of its own; the rest lets a test look at
// the live match.
globalThis.vantorel = {
  play: (script) => playScript(script),
  measureFrames,
  playground,
  live: {
    pause: () => playground.setPaused(true),
    resume: () => playground.setPaused(false),
    command: (line) => playground.live.command(line),
    sceneScript: () => playground.live.sceneScript(),
    variables: () => playground.live.variables(),
    scene: () => {
      const view = playground.lastScene;
      const cars = Array.from({ length: view.carCount }, (_, i) => view.car(i));
      return { width: view.width, height: view.height, cars, calls: view.calls() };
    },
    shading: () => playground.shading?.shown ?? null,
  },
};

playground.start().catch((error) => {
  document.body.dataset.ready = 'failed';
  $('#mode').textContent = `The playground did not start: ${error.message}`;
  throw error;
});

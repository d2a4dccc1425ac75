// Scripts: pick an example, open or drop a .scn file, or edit one; play it
// as vantorel-sim plays it. The transcript is the program's own output;
// the frames it drew are recorded and shown one at a time.

import { newProgram } from './module.js';
import { SceneView } from './painter.js';

// Frames kept of one script; the transcript is always whole.
const KEPT_FRAMES = 5000;

// Plays `text` as the file `name` in a program of its own: vantorel-sim's
// {out, err, code}, and, when it ran to its end, its frames.
export async function runScript(text, name) {
  const program = await newProgram();
  const code = program.call('play', name, text);
  const result = { out: program.text('play_out'), err: program.text('play_err'), code,
                   frames: [] };
  if (code === 0) {
    const count = program.call('record', text, KEPT_FRAMES);
    for (let i = 0; i < count; i += 1) {
      const scene = program.scene(program.call('recorded_scene', i));
      const seconds = program.call('recorded_seconds', i);
      result.frames.push({ view: new SceneView(scene), seconds });
    }
  }
  return result;
}

// "vantorel-sim: NAME:LINE: MESSAGE", the program's report of a bad line,
// as {line, message}; null for anything else.
export function badLine(err, name) {
  const prefix = `vantorel-sim: ${name}:`;
  const first = err.split('\n')[0];
  if (!first.startsWith(prefix)) return null;
  const match = /^(\d+): (.*)$/.exec(first.slice(prefix.length));
  return match ? { line: Number(match[1]), message: match[2] } : null;
}

// The editor side: the examples, opening and dropping files, the text area.
export class ScriptPanel {
  constructor({ examples, file, editor, name, play, error }, onPlay) {
    Object.assign(this, { examples, file, editor, name, error });
    this.onPlay = onPlay;
    examples.addEventListener('change', () => this.loadExample(examples.value));
    file.addEventListener('change', () => file.files[0] && this.loadFile(file.files[0]));
    play.addEventListener('click', () => this.play());
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      const dropped = event.dataTransfer?.files?.[0];
      if (dropped) this.loadFile(dropped);
    });
  }

  async listExamples() {
    const names = await (await fetch('examples/index.json')).json();
    for (const name of names) this.examples.add(new Option(`${name}.scn`, name));
  }

  async loadExample(name) {
    if (!name) return;
    this.show(await (await fetch(`examples/${name}.scn`)).text(), `${name}.scn`);
  }

  async loadFile(file) {
    this.show(await file.text(), file.name);
  }

  show(text, name) {
    this.editor.value = text;
    this.name.value = name;
    this.error.textContent = '';
  }

  // The file name the program is given: a plain name, never a path.
  fileName() {
    const name = this.name.value.trim().split(/[\\/]/).pop();
    return name || 'script.scn';
  }

  async play() {
    const name = this.fileName();
    const result = await runScript(this.editor.value, name);
    this.error.textContent = '';
    const bad = badLine(result.err, name);
    if (bad) {
      this.error.textContent = `Line ${bad.line}: ${bad.message}`;
      this.selectLine(bad.line);
    } else if (result.code !== 0) {
      this.error.textContent = result.err.trim();
    }
    this.onPlay(result);
  }

  selectLine(number) {
    const lines = this.editor.value.split('\n');
    const start = lines.slice(0, number - 1).reduce((sum, line) => sum + line.length + 1, 0);
    this.editor.focus();
    this.editor.setSelectionRange(start, start + (lines[number - 1] ?? '').length);
  }
}

// Shows a played script's frames one by one: play, pause, step, speed.
export class FramePlayer {
  constructor({ toggle, step, speed, counter }, show) {
    Object.assign(this, { toggleButton: toggle, speed, counter });
    this.show = show;  // show(frame, index, lineIndex)
    this.frames = [];
    toggle.addEventListener('click', () => this.toggle());
    step.addEventListener('click', () => this.step());
  }

  load(result) {
    this.frames = result.frames;
    // Where each frame's [frame] line stands in the transcript.
    this.lines = [];
    result.out.split('\n').forEach((line, index) => {
      if (line.startsWith('[frame] ')) this.lines.push(index);
    });
    this.index = 0;
    this.waited = 0;
    this.playing = this.frames.length > 1;
    this.render();
  }

  toggle() {
    if (this.index >= this.frames.length - 1) this.index = 0;
    this.playing = !this.playing;
    this.render();
  }

  step() {
    this.playing = false;
    this.index = Math.min(this.index + 1, this.frames.length - 1);
    this.render();
  }

  // Moves on by `elapsed` milliseconds of play.
  tick(elapsed) {
    if (!this.playing || this.frames.length === 0) return;
    this.waited += elapsed * Number(this.speed.value);
    const due = () => this.frames[this.index].seconds * 1000;
    let moved = false;
    while (this.waited >= due() && this.index < this.frames.length - 1) {
      this.waited -= due();
      this.index += 1;
      moved = true;
    }
    if (this.index === this.frames.length - 1) this.playing = false;
    if (moved || !this.playing) this.render();
  }

  render() {
    if (this.frames.length === 0) return;
    this.toggleButton.textContent = this.playing ? 'Pause' : 'Play';
    this.counter.textContent = this.lines.length
      ? `frame ${this.index + 1} of ${this.frames.length}`
      : 'no frame drawn: the match at the end';
    this.show(this.frames[this.index], this.lines[this.index]);
  }
}

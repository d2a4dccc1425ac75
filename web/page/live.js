// The live match: a program of its own whose host plays free play
// (web/src/LiveMatch.h), and what the page asks of it.

import { newProgram } from './module.js';

export class LiveMatch {
  // Opens free play with the configuration file `savedConfig` (the text the
  // browser kept; empty for none).
  static async open(savedConfig) {
    const live = new LiveMatch(await newProgram());
    if (live.program.call('live_open', savedConfig) !== 0) {
      throw new Error(`free play did not open: ${live.program.text('last_text')}`);
    }
    return live;
  }

  constructor(program) {
    this.program = program;
  }

  // One step of 1/60 s; throttle and steer each -1, 0 or 1.
  step(throttle, steer) {
    this.program.call('live_step', throttle, steer);
  }

  // Plays a script line as the program would: {ok, message}.
  command(line) {
    const ok = this.program.call('live_command', line) === 0;
    return { ok, message: ok ? '' : this.program.text('last_text') };
  }

  press() {
    return this.command('press');
  }

  // The transcript lines since the last call, each ended by a line feed.
  takeLines() {
    return this.program.text('live_lines');
  }

  showDrawing(show) {
    this.program.call('live_show_drawing', show ? 1 : 0);
  }

  // The last frame's scene, copied ({words, names}).
  scene() {
    return this.program.scene(this.program.call('live_scene'));
  }

  variables() {
    return JSON.parse(this.program.text('live_variables'));
  }

  saveConfig() {
    return this.program.text('live_save_config');
  }

  sceneScript() {
    return this.program.text('live_scene_script');
  }

  project(x, y, z) {
    const address = this.program.call('live_project', x, y, z);
    return Array.from(this.program.words(address, 2));
  }

  carWords() {
    const address = this.program.call('live_car_words');
    return this.program.words(address, this.program.module._vantorel_words_size());
  }

  addCars(count) {
    return this.program.call('live_add_cars', count);
  }
}

// Where each team-mate would be chosen (web/src/ChoiceMap.h). A program of
// its own holds a scratch copy of the live match; the grid is filled a few
// cells at a time, within a budget of each animation frame, and a finished
// grid replaces the one shown. Each new grid starts from the live match and
// its settings as they stand then, so the shading follows the cars and the
// weight slider.

import { newProgram } from './module.js';

// Cells filled between two looks at the clock.
const CELLS_AT_ONCE = 8;
// The settings that decide which car is chosen.
const CHOICE_SETTINGS = ['vantorel_swap_distanceweight', 'vantorel_sequential_swap'];
// A colour for each team-mate in list order; none near the marker's yellow
// or the teams' blue and orange.
const PALETTE = [
  [0, 210, 255], [255, 70, 170], [110, 255, 110], [175, 115, 255],
  [255, 255, 255], [0, 150, 120], [200, 60, 60], [120, 160, 200],
];

export class Shading {
  static async open(live) {
    const program = await newProgram();
    if (program.call('choice_open') !== 0) {
      throw new Error(`the shading did not open: ${program.text('last_text')}`);
    }
    return new Shading(program, live);
  }

  constructor(program, live) {
    this.program = program;
    this.live = live;
    const layout = (i) => program.call('layout', i);
    [this.rows, this.columns] = [layout(0), layout(1)];
    this.field = [layout(2), layout(3), layout(4)];
    this.project();
    this.cell = 0;
    this.copied = new Map();
    this.shown = null;  // the last finished grid, as Painter.paint takes it
  }

  // Where the grid lies on the canvas: row 0 at +X (the top of the view),
  // column 0 at -Y (its left).
  project() {
    const [halfWidth, halfLength, height] = this.field;
    const [x0, y0] = this.live.project(halfWidth, -halfLength, height);
    const [x1, y1] = this.live.project(-halfWidth, halfLength, height);
    this.box = [x0, y0, x1, y1];
  }

  // Works on the grid for about `budget` milliseconds, a few cells at a
  // time: a cell is a frame of the scratch match, whose cost grows with
  // its cars.
  tick(budget) {
    const start = performance.now();
    const cells = this.rows * this.columns;
    if (this.cell === 0) this.begin();
    do {
      const last = Math.min(this.cell + CELLS_AT_ONCE, cells);
      this.cells = this.program.call('choice_fill', this.cell, last);
      this.cell = last;
    } while (this.cell < cells && performance.now() - start < budget);
    if (this.cell === cells) {
      this.finish();
      this.cell = 0;
    }
  }

  begin() {
    const words = this.live.carWords();
    const module = this.program.module;
    const address = module._malloc(words.length * 4);
    module.HEAP32.set(words, address >> 2);
    this.program.call('choice_copy', address);
    module._free(address);
    this.cars = words;
    const values = new Map(this.live.variables().map((v) => [v.name, v.value]));
    for (const name of CHOICE_SETTINGS) {
      if (this.copied.get(name) === values.get(name)) continue;
      this.program.call('choice_set', name, values.get(name));
      this.copied.set(name, values.get(name));
    }
  }

  finish() {
    const cells = this.program.words(this.cells, this.rows * this.columns);
    this.shown = { cells, rows: this.rows, columns: this.columns, box: this.box,
                   colours: this.colours(cells) };
  }

  // Team-mates of the local player's car take the palette in list order;
  // any other car that is chosen, by its place in the list.
  colours(cells) {
    const words = this.cars;
    const local = words[1];
    const teamOf = (i) => (words[2 + 8 * i] === 0 ? -1 : words[3 + 8 * i]);
    const colours = new Map();
    let rank = 0;
    for (let i = 0; i < words[0] && local >= 0; i += 1) {
      if (i !== local && teamOf(i) === teamOf(local)) {
        colours.set(i, PALETTE[rank % PALETTE.length]);
        rank += 1;
      }
    }
    for (const index of new Set(cells)) {
      if (index >= 0 && !colours.has(index)) colours.set(index, PALETTE[index % PALETTE.length]);
    }
    return colours;
  }
}

// Paints scenes (web/src/SceneBuffer.h) on the page's canvas as
// `vantorel-sim --picture` paints them (vantorel-sim/Picture.cpp): the
// background, the ball and the cars where the host projected them, each
// car's owner's name, then the plugin's drawing on top, a canvas pixel
// (X, Y) being the square whose centre is (X + 0.5, Y + 0.5). The live
// match adds what a picture leaves out: the field's markings, each car's
// facing, and the shading of where each team-mate would be chosen.

const BACKGROUND = 'rgb(31, 41, 33)';
const TEAM_COLOURS = ['rgb(51, 115, 255)', 'rgb(255, 140, 26)'];
const OTHER_TEAM = 'rgb(153, 153, 153)';
const BALL = 'rgb(242, 242, 242)';
const LABEL = 'rgb(235, 235, 235)';
const OUTLINE = 'rgba(0, 0, 0, 0.8)';
const MARKINGS = 'rgba(235, 245, 235, 0.35)';
const CAR_RADIUS = 8;
const BALL_RADIUS = 10;
const LABEL_SIZE = 15;
const NEAR_CANVAS = 200;  // marks farther off the canvas are not painted
const FACING_LENGTH = 20;
const FACING_STEPS = 64;
// Beyond this many cars only the first few carry names: a thousand labels
// are unreadable, and cost more than the cars.
const NAMED_CARS = 64;
const ALWAYS_NAMED = 6;

export const HEADER_WORDS = 7;
export const CAR_WORDS = 5;
export const CALL_WORDS = 10;

const centre = (coordinate) => coordinate + 0.5;

function teamColour(team) {
  return TEAM_COLOURS[team] ?? OTHER_TEAM;
}

// A disc as Picture.cpp paints one: filled, outlined in translucent black.
function outlinedDisc(context, c, radius, fill) {
  context.beginPath();
  context.arc(c, c, radius, 0, 2 * Math.PI);
  context.fillStyle = fill;
  context.fill();
  context.strokeStyle = OUTLINE;
  context.lineWidth = 1.5;
  context.stroke();
}

// The way a car faces on the canvas, as one of FACING_STEPS directions;
// -1 without a facing point apart from the car's.
function direction(car) {
  const dx = car.facingX - car.x;
  const dy = car.facingY - car.y;
  if ((dx === 0 && dy === 0) || !Number.isFinite(dx + dy)) return -1;
  const step = Math.round((Math.atan2(dy, dx) / (2 * Math.PI)) * FACING_STEPS);
  return (step + FACING_STEPS) % FACING_STEPS;
}

// The part of segment a-b inside `box`, or null (Liang-Barsky), so that
// far-off ends never reach the canvas.
function clipSegment(box, ax, ay, bx, by) {
  const dx = bx - ax;
  const dy = by - ay;
  const p = [-dx, dx, -dy, dy];
  const q = [ax - box[0], box[2] - ax, ay - box[1], box[3] - ay];
  let enter = 0;
  let leave = 1;
  for (let i = 0; i < 4; i += 1) {
    if (p[i] === 0) {
      if (q[i] < 0) return null;
      continue;
    }
    const t = q[i] / p[i];
    if (p[i] < 0) enter = Math.max(enter, t);
    else leave = Math.min(leave, t);
  }
  if (enter > leave) return null;
  return [ax + enter * dx, ay + enter * dy, ax + leave * dx, ay + leave * dy];
}

// Reads the words of a scene.
export class SceneView {
  constructor({ words, names }) {
    this.words = words;
    this.names = names;
  }

  get width() { return this.words[0]; }
  get height() { return this.words[1]; }
  get carCount() { return this.words[2]; }
  get hasBall() { return this.words[3] === 1; }
  get ball() { return [this.words[4], this.words[5]]; }
  get callCount() { return this.words[6]; }

  car(i) {
    const at = HEADER_WORDS + i * CAR_WORDS;
    const w = this.words;
    return { x: w[at], y: w[at + 1], facingX: w[at + 2], facingY: w[at + 3], team: w[at + 4],
             name: this.names[i] };
  }

  // The plugin's drawing calls: {kind: 'color', rgba} or {kind: 'line', ...}.
  calls() {
    const floats = new Float32Array(1);
    const bits = new Int32Array(floats.buffer);
    const list = [];
    const base = HEADER_WORDS + this.carCount * CAR_WORDS;
    for (let i = 0; i < this.callCount; i += 1) {
      const w = this.words.subarray(base + i * CALL_WORDS, base + (i + 1) * CALL_WORDS);
      if (w[0] === 0) {
        list.push({ kind: 'color', rgba: [w[1], w[2], w[3], w[4]] });
      } else {
        bits[0] = w[9];
        list.push({ kind: 'line', start: [w[5], w[6]], end: [w[7], w[8]], width: floats[0] });
      }
    }
    return list;
  }
}

export class Painter {
  constructor(canvas) {
    this.canvas = canvas;
    this.context = canvas.getContext('2d', { alpha: false });
    this.shadingCanvas = document.createElement('canvas');
  }

  // Paints `view`. `extras` (the live match): `markings`, polylines of
  // canvas points; `facing`, whether to show facing; `shading`, {cells,
  // rows, columns, box: [x0, y0, x1, y1], colours: Map list index ->
  // [r, g, b]}, a new object whenever it changes. Car marks are taken to
  // stand in list order (a null entry in the list would shift them).
  paint(view, extras = {}) {
    const { canvas, context } = this;
    if (canvas.width !== view.width || canvas.height !== view.height) {
      canvas.width = view.width;
      canvas.height = view.height;
    }
    context.fillStyle = BACKGROUND;
    context.fillRect(0, 0, canvas.width, canvas.height);
    if (extras.shading) this.paintShading(extras.shading);
    if (extras.markings) this.paintMarkings(extras.markings);
    if (view.hasBall && this.near(view.ball[0], view.ball[1])) {
      this.stampAt(this.discStamp(BALL_RADIUS, BALL), { x: view.ball[0], y: view.ball[1] });
    }
    this.paintCars(view, extras);
    this.paintDrawing(view);
  }

  near(x, y) {
    return x >= -NEAR_CANVAS && y >= -NEAR_CANVAS && x <= this.canvas.width + NEAR_CANVAS &&
        y <= this.canvas.height + NEAR_CANVAS;
  }

  paintMarkings(markings) {
    const context = this.context;
    context.beginPath();
    for (const line of markings) {
      line.forEach(([x, y], i) => (i === 0 ? context.moveTo(centre(x), centre(y))
                                           : context.lineTo(centre(x), centre(y))));
    }
    context.strokeStyle = MARKINGS;
    context.lineWidth = 3;
    context.lineJoin = 'round';
    context.stroke();
  }

  // The grid is one pixel a cell, stretched over the field.
  paintShading(shading) {
    const { cells, rows, columns, box, colours } = shading;
    if (shading !== this.shading) {
      this.shading = shading;
      const image = new ImageData(columns, rows);
      cells.forEach((index, cell) => {
        const colour = colours.get(index);
        if (!colour) return;
        image.data.set(colour, cell * 4);
        image.data[cell * 4 + 3] = 255;
      });
      this.shadingCanvas.width = columns;
      this.shadingCanvas.height = rows;
      this.shadingCanvas.getContext('2d').putImageData(image, 0, 0);
    }
    const context = this.context;
    context.save();
    context.globalAlpha = 0.4;
    context.imageSmoothingEnabled = false;
    context.drawImage(this.shadingCanvas, box[0], box[1], box[2] - box[0], box[3] - box[1]);
    context.restore();
  }

  // Each car is stamped, the stamps made once: its disc, over a line the
  // way it faces (in one of FACING_STEPS directions) when `facing`, and
  // under it a ring in its shading colour.
  paintCars(view, extras) {
    const context = this.context;
    const colours = extras.shading?.colours;
    const named = [];
    for (let i = 0; i < view.carCount; i += 1) {
      const car = view.car(i);
      if (!this.near(car.x, car.y)) continue;
      const ring = colours?.get(i);
      if (ring) this.stampAt(this.ringStamp(ring), car);
      this.stampAt(this.carStamp(teamColour(car.team), extras.facing ? direction(car) : -1), car);
      if (view.carCount <= NAMED_CARS || i < ALWAYS_NAMED) named.push(car);
    }
    context.fillStyle = LABEL;
    context.font = `bold ${LABEL_SIZE}px sans-serif`;
    for (const car of named) {
      context.fillText(car.name, centre(car.x) + CAR_RADIUS + 4, centre(car.y) + LABEL_SIZE + 2);
    }
  }

  // Draws `stamp`, whose centre pixel is its middle one, centred on `point`.
  stampAt(stamp, { x, y }) {
    const reach = (stamp.width - 1) / 2;
    this.context.drawImage(stamp, x - reach, y - reach);
  }

  // A stamp `reach` pixels each side of its centre pixel, painted once by
  // `paint(context, centre)` and kept under `key`.
  stamp(key, reach, paint) {
    this.stamps ??= new Map();
    if (!this.stamps.has(key)) {
      const stamp = document.createElement('canvas');
      stamp.width = stamp.height = 2 * reach + 1;
      paint(stamp.getContext('2d'), centre(reach));
      this.stamps.set(key, stamp);
    }
    return this.stamps.get(key);
  }

  discStamp(radius, fill) {
    return this.stamp(`disc ${radius} ${fill}`, radius + 2,
                      (context, c) => outlinedDisc(context, c, radius, fill));
  }

  carStamp(fill, step) {
    return this.stamp(`car ${fill} ${step}`, FACING_LENGTH + 2, (context, c) => {
      if (step >= 0) {
        const angle = (step / FACING_STEPS) * 2 * Math.PI;
        context.beginPath();
        context.moveTo(c, c);
        context.lineTo(c + FACING_LENGTH * Math.cos(angle), c + FACING_LENGTH * Math.sin(angle));
        context.strokeStyle = fill;
        context.lineWidth = 3;
        context.lineCap = 'round';
        context.stroke();
      }
      outlinedDisc(context, c, CAR_RADIUS, fill);
    });
  }

  ringStamp([r, g, b]) {
    return this.stamp(`ring ${r} ${g} ${b}`, CAR_RADIUS + 6, (context, c) => {
      context.arc(c, c, CAR_RADIUS + 4, 0, 2 * Math.PI);
      context.strokeStyle = `rgb(${r}, ${g}, ${b})`;
      context.lineWidth = 3;
      context.stroke();
    });
  }

  paintDrawing(view) {
    const context = this.context;
    const { width, height } = this.canvas;
    // A frame draws in the canvas's starting colour until the plugin sets one.
    context.strokeStyle = 'rgb(255, 255, 255)';
    context.lineCap = 'round';
    context.lineJoin = 'round';
    for (const call of view.calls()) {
      if (call.kind === 'color') {
        const [r, g, b, a] = call.rgba;
        context.strokeStyle = `rgba(${r}, ${g}, ${b}, ${a / 255})`;
        continue;
      }
      if (!(call.width > 0) || !Number.isFinite(call.width)) continue;
      const lineWidth = Math.min(call.width, 4 * Math.max(width, height));
      const box = [-lineWidth - 2, -lineWidth - 2, width + lineWidth + 2, height + lineWidth + 2];
      const segment = clipSegment(box, centre(call.start[0]), centre(call.start[1]),
                                  centre(call.end[0]), centre(call.end[1]));
      if (!segment) continue;
      context.beginPath();
      context.moveTo(segment[0], segment[1]);
      context.lineTo(segment[2], segment[3]);
      context.lineWidth = lineWidth;
      context.stroke();
    }
  }
}

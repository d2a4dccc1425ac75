// The console variables as controls: a checkbox for each switch, a slider
// and a number field for each number, within the bounds the host has them
// registered with, all read from the host's registered variables. Every
// change is a console line `NAME VALUE`, played on the live match as typed;
// the host's configuration file is then saved and its text kept in the
// browser's local storage, and handed back to the host on the next visit.

const STORAGE_KEY = 'vantorel.cfg';
// Free play opens with the plugin and its overlay on, unless the saved
// configuration says otherwise; the reset button goes back to that.
export const OPENING_VALUES = { vantorel_enable: '1', vantorel_render_enable: '1' };

export function savedConfig() {
  try {
    return localStorage.getItem(STORAGE_KEY) ?? '';
  } catch {
    return '';  // storage refused (a private window): nothing kept
  }
}

function keep(text) {
  try {
    localStorage.setItem(STORAGE_KEY, text);
  } catch {
    // Nothing to do: the settings last as long as the page.
  }
}

// The step of a number: whole numbers for an int slot, a hundredth of the
// range for a float.
function stepOf(variable) {
  if (variable.kind === 'int') return 1;
  const span = Number(variable.max) - Number(variable.min);
  return Number.isFinite(span) && span > 0 ? span / 100 : 'any';
}

export class SettingsPanel {
  // `container` receives the controls; `live` is the LiveMatch.
  constructor(container, live) {
    this.container = container;
    this.live = live;
    this.controls = new Map();
    this.build();
  }

  setLive(live) {
    this.live = live;
    this.refresh();
  }

  build() {
    for (const variable of this.live.variables()) {
      const row = document.createElement('div');
      row.className = 'setting';
      row.title = variable.description;
      const id = `setting-${variable.name}`;
      if (variable.kind === 'bool') {
        row.innerHTML = `<label><input type="checkbox" id="${id}"> <code></code></label>`;
        row.querySelector('code').textContent = variable.name;
        const box = row.querySelector('input');
        box.addEventListener('change', () => this.set(variable.name, box.checked ? '1' : '0'));
        this.controls.set(variable.name, { kind: 'bool', inputs: [box] });
      } else {
        row.innerHTML = `<label for="${id}"><code></code></label>
          <input type="range" id="${id}"> <input type="number" aria-label="">`;
        row.querySelector('code').textContent = variable.name;
        const [slider, field] = row.querySelectorAll('input');
        field.setAttribute('aria-label', `${variable.name} value`);
        for (const input of [slider, field]) {
          if (variable.min !== null) input.min = variable.min;
          if (variable.max !== null) input.max = variable.max;
          input.step = stepOf(variable);
        }
        slider.addEventListener('input', () => this.set(variable.name, slider.value));
        field.addEventListener('change', () => this.set(variable.name, field.value));
        this.controls.set(variable.name, { kind: 'number', inputs: [slider, field] });
      }
      const note = document.createElement('small');
      note.textContent = variable.description;
      row.append(note);
      this.container.append(row);
    }
    this.refresh();
  }

  // Shows the value each variable holds now (a typed value may have been
  // clamped, or refused).
  refresh() {
    for (const variable of this.live.variables()) {
      const control = this.controls.get(variable.name);
      if (!control) continue;
      if (control.kind === 'bool') {
        control.inputs[0].checked = Number(variable.value) !== 0;
      } else {
        for (const input of control.inputs) input.value = variable.value;
      }
    }
  }

  // Plays `NAME VALUE` on the live match, then saves.
  set(name, value) {
    this.live.command(`${name} ${value}`);
    this.save();
    this.refresh();
  }

  save() {
    keep(this.live.saveConfig());
  }

  // Every variable back to its registered default, but for the two free
  // play opens with on.
  reset() {
    for (const variable of this.live.variables()) {
      this.live.command(`${variable.name} ${OPENING_VALUES[variable.name] ?? variable.default}`);
    }
    this.save();
    this.refresh();
  }
}

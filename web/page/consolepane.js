// The console pane (#console): transcript lines as vantorel-sim prints
// them, one element a line, so that a script's frame can point at its own.

// Lines kept before the oldest go: a long free play would otherwise grow
// the page for ever.
const KEPT_LINES = 5000;

export class ConsolePane {
  constructor(element) {
    this.element = element;
  }

  clear() {
    this.element.replaceChildren();
  }

  // Appends `text`: lines each ended by a line feed. `kind` styles them
  // ('error' for standard error).
  append(text, kind = '') {
    if (!text) return;
    const lines = text.endsWith('\n') ? text.slice(0, -1).split('\n') : text.split('\n');
    const fragment = document.createDocumentFragment();
    for (const line of lines) {
      const element = document.createElement('div');
      element.textContent = line;
      if (kind) element.className = kind;
      fragment.append(element);
    }
    const { scrollTop, clientHeight, scrollHeight } = this.element;
    const atEnd = scrollTop + clientHeight >= scrollHeight - 4;
    this.element.append(fragment);
    while (this.element.childElementCount > KEPT_LINES && !this.holdAll) {
      this.element.firstElementChild.remove();
    }
    if (atEnd) this.element.scrollTop = this.element.scrollHeight;
  }

  // Shows a whole transcript, every line of it.
  show(out, err) {
    this.clear();
    this.holdAll = true;
    this.append(out);
    this.append(err, 'error');
    this.holdAll = false;
  }

  // Marks line `index` (from 0) as the current one and brings it into view.
  mark(index) {
    this.element.querySelector('.current')?.classList.remove('current');
    const line = this.element.children[index];
    if (!line) return;
    line.classList.add('current');
    line.scrollIntoView({ block: 'nearest' });
  }

  // The text shown, line by line.
  text() {
    return Array.from(this.element.children, (line) => `${line.textContent}\n`).join('');
  }
}

// The lesson on screen: the list of steps as links, the step on show with its
// sentences, Previous and Next, the arrow keys, and a pointer to the view
// the step is about, which is marked while the step is on show.
import { STEPS } from '../runs/lesson.mjs';

// A step's link: the page with `?step=N`, which a teacher may hand out.
export const stepLink = (index) => `?step=${index + 1}`;

export class LessonView {
  // elements: steps (the list), name (the step's heading), says (its
  // sentences), look (the link to its view), previous, next; lesson: the
  // steps' state (web/runs/lesson.mjs).
  constructor({ section, steps, name, says, look, previous, next }, lesson) {
    this.section = section;
    this.name = name;
    this.says = says;
    this.look = look;
    this.previous = previous;
    this.next = next;
    this.lesson = lesson;
    this.pointed = null;  // the view the step points at
    this.told = '';       // the sentences on show
    this.links = STEPS.map((step, index) => {
      const link = Object.assign(document.createElement('a'), { href: stepLink(index), textContent: step.name });
      link.addEventListener('click', (event) => {
        event.preventDefault();
        lesson.go(index);
      });
      const item = document.createElement('li');
      item.append(link);
      steps.append(item);
      return link;
    });
    previous.addEventListener('click', () => lesson.previous());
    next.addEventListener('click', () => lesson.next());
    look.addEventListener('click', (event) => {
      event.preventDefault();
      this.pointed?.scrollIntoView({ block: 'center' });
      this.pointed?.focus({ preventScroll: true });
    });
    section.addEventListener('keydown', (event) => {
      const by = { ArrowLeft: -1, ArrowRight: 1 }[event.key];
      if (!by || event.altKey || event.ctrlKey || event.metaKey) return;
      event.preventDefault();
      if (by < 0) lesson.previous();
      else lesson.next();
    });
    this.show();
  }

  // The step chosen: its name and number, its link marked, its view marked.
  show() {
    const { index, step } = this.lesson;
    this.links.forEach((link, k) => {
      if (k === index) link.setAttribute('aria-current', 'step');
      else link.removeAttribute('aria-current');
    });
    this.previous.disabled = !index;
    this.next.disabled = index === STEPS.length - 1;
    this.next.textContent = index === null ? 'Start the lesson' : 'Next step';
    this.pointed?.classList.remove('pointed');
    this.pointed = step && document.getElementById(step.view);
    this.pointed?.classList.add('pointed');
    this.name.textContent = step ? `Step ${index + 1} of ${STEPS.length}: ${step.name}` : '';
    this.look.hidden = !step;
    if (step) this.look.textContent = `Look at ${step.look}`;
    this.tell(step ? null : undefined);
  }

  // The step's sentences: null while its runs go on, undefined where the
  // session on screen is not the step's.
  tell(sentences) {
    const { step } = this.lesson;
    const texts = !step ? ['Seven steps, each typed into a fresh session for you: start with the first, or choose one.']
      : sentences === undefined ? [`The session on screen is not this step's. Choose “${step.name}” again to type it.`]
        : sentences === null ? ['The runs go on…'] : sentences;
    const told = texts.join('\n');
    if (told === this.told) return;
    this.told = told;
    this.says.replaceChildren(...texts.map((text) => Object.assign(document.createElement('p'), { textContent: text })));
  }
}

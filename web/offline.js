// Installable and playable offline: the service worker the build writes
// keeps every file of the page. A new version waits until the player
// takes it, and an open tab asks for one as it is played.
import { $, button } from './view.js';

// The release this page is (the build names it), and how long at most
// between two questions for a new one (?updates=SECONDS for tests).
const kRelease = (document.querySelector('meta[name="release"]') || {}).content;
const kCheckEvery = 1000 * (Number(new URLSearchParams(location.search).get('updates')) || 60);

export function keepOffline() {
  if (!('serviceWorker' in navigator)) return;
  const workers = navigator.serviceWorker;
  // The worker in charge may hold a later release than this page (one put
  // on the server while this page loaded): it says which it has.
  workers.addEventListener('message', (event) => {
    const release = event.data && event.data.release;
    if (kRelease && release && release !== kRelease) offer(null);
  });
  const ask = () => workers.controller && workers.controller.postMessage('release');
  workers.addEventListener('controllerchange', ask);
  ask();
  register();
  // A first worker that could not keep its release (the server had begun
  // to serve another) is gone: registered again rather than updated.
  checkWhilePlayed(() => workers.getRegistration().then((registration) => (registration ? registration.update() : register())));
}

function register() {
  const workers = navigator.serviceWorker;
  return workers.register('service-worker.js', { updateViaCache: 'none' }).then((registration) => {
    if (registration.waiting && workers.controller) offer(registration.waiting);
    registration.addEventListener('updatefound', () => {
      const worker = registration.installing;
      worker.addEventListener('statechange', () => {
        if (worker.state === 'installed' && workers.controller) offer(worker);
      });
    });
  }, (error) => console.warn('the page cannot be kept for offline play:', error));
}

// A tab left open asks for a new version within a minute of a key (or of
// being shown again), and no more than once a minute: nothing wakes while
// nobody plays.
function checkWhilePlayed(check) {
  let last = performance.now();  // registering asked
  let timer = null;
  const soon = () => {
    if (timer !== null) return;
    timer = setTimeout(() => {
      timer = null;
      last = performance.now();
      check().catch(() => {});  // offline: asked again at a later key
    }, Math.max(0, last + kCheckEvery - performance.now()));
  };
  window.addEventListener('keydown', soon, true);
  window.addEventListener('pointerdown', soon, true);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'visible') soon();
  });
}

// The game in play is saved as the page reloads. `worker`: a new version
// waiting to take over; null when the one in charge already has it.
function offer(worker) {
  const notice = $('update');
  notice.textContent = 'A new version of the game is ready. ';
  notice.append(button('Reload now', () => {
    if (!worker) {
      location.reload();
      return;
    }
    navigator.serviceWorker.addEventListener('controllerchange', () => location.reload());
    worker.postMessage('take over');
  }));
  notice.hidden = false;
}

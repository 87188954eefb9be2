// Installable and playable offline: the service worker the build writes
// keeps every file of the page; a new version waits until the player
// takes it.
import { $, button } from './view.js';

export function keepOffline() {
  if (!('serviceWorker' in navigator)) return;
  navigator.serviceWorker.register('service-worker.js').then((registration) => {
    if (registration.waiting && navigator.serviceWorker.controller) offer(registration.waiting);
    registration.addEventListener('updatefound', () => {
      const worker = registration.installing;
      worker.addEventListener('statechange', () => {
        if (worker.state === 'installed' && navigator.serviceWorker.controller) offer(worker);
      });
    });
  }, (error) => console.warn('the page cannot be kept for offline play:', error));
}

// The game in play is saved as the page reloads.
function offer(worker) {
  const notice = $('update');
  notice.textContent = 'A new version of the game is ready. ';
  notice.append(button('Reload now', () => {
    navigator.serviceWorker.addEventListener('controllerchange', () => location.reload());
    worker.postMessage('take over');
  }));
  notice.hidden = false;
}

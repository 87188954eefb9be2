// Sharing a recorded game as a link: the recording, compressed and in the
// link's fragment, which browsers never send to a server; and opening such
// a link, which keeps the recording here and plays it.
import { startOfWorld } from './session.js';
import { freeName, kPlayerFiles, storedFiles, storeFile } from './stored-games.js';
import { $, button } from './view.js';
import { worldLabel } from './worlds.js';

const kShared = '#play=';
// Chromium takes addresses up to 2 MiB; a longer link would be cut.
const kLongestLink = 2 * 1024 * 1024;

// zlib's deflate, whose checksum tells a damaged link from a whole one.
async function squeezed(bytes, way) {
  const stream = new Blob([bytes]).stream().pipeThrough(way === 'in' ? new CompressionStream('deflate') : new DecompressionStream('deflate'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

function toBase64Url(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}
function fromBase64Url(text) {
  if (!/^[A-Za-z0-9_-]*$/.test(text)) throw new Error('not base64url');
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  return Uint8Array.from(binary, (c) => c.charCodeAt(0));
}

// A language's name in English ('fr': French), or its code when it has none.
function languageName(code) {
  try {
    return new Intl.DisplayNames(['en'], { type: 'language', fallback: 'code' }).of(code);
  } catch {
    return code;  // not a language tag
  }
}

// What a recording's header says of its game: the world and the language.
export function recordingOrigin(data) {
  const head = new TextDecoder('latin1').decode(data.subarray(0, 64 * 1024));
  const world = (/^world (.*)$/m.exec(head) || [])[1];
  const code = (/^played .* language (\S+)$/m.exec(head) || [])[1] || 'ja';
  return { world, language: code, about: (world ? worldLabel(world) : 'an unnamed world') + ', in ' + languageName(code) };
}

// The link that plays `data`, or a string saying why there is none.
export async function shareLink(data) {
  const link = location.origin + location.pathname + kShared + toBase64Url(await squeezed(data, 'in'));
  if (link.length > kLongestLink) {
    return 'This recording is too long for a link (' + Math.round(link.length / 1024) + ' KB, browsers take 2 MB at most): download it and send the file instead.';
  }
  return link;
}

// Shares a recording: through the system's share sheet where the browser
// has one, otherwise the link is copied; it is also shown to copy by hand.
export async function share(name, data, status = $('games-status')) {
  const link = await shareLink(data);
  status.hidden = false;
  status.textContent = '';
  if (!link.startsWith(location.origin)) {
    status.textContent = link;
    return;
  }
  const field = document.createElement('input');
  field.id = 'share-link';
  field.readOnly = true;
  field.value = link;
  field.setAttribute('aria-label', 'The link to ' + name);
  let said = 'A link that plays ' + name + ' (' + recordingOrigin(data).about + ') in this page; nothing is sent anywhere until you send it:';
  try {
    if (navigator.share) {
      await navigator.share({ title: 'Ranks & Files: ' + name, url: link });
      said = 'Shared ' + name + '. The link:';
    } else {
      await navigator.clipboard.writeText(link);
      said = 'The link to ' + name + ' is copied (' + recordingOrigin(data).about + '):';
    }
  } catch (error) {
    // Refused or cancelled: the link is there to copy.
  }
  status.append(said, ' ', field);
  field.select();
}

// Opens the game a link carries: kept with the player's games (once,
// however often it is opened) and played, in the language it was played
// in. Resolves to true then; to null when the address carries none; to
// what to say when it is damaged (the page then goes on as without it).
export async function openShared() {
  if (!location.hash.startsWith(kShared)) return null;
  let data;
  try {
    data = await squeezed(fromBase64Url(location.hash.slice(kShared.length)), 'out');
    if (new TextDecoder('latin1').decode(data.subarray(0, 26)) !== 'ranks-and-files recording ') throw new Error('not a recording');
  } catch (error) {
    return 'This link to a shared game is damaged or cut short, so it cannot be played: ask for the link again, or for the recording as a file.';
  }
  const files = await storedFiles();
  const same = files.find((f) => f.name.endsWith('.rec') && f.data.length === data.length && f.data.every((b, i) => b === data[i]));
  const name = same ? same.name : freeName(files, 'shared', '.rec');
  if (!same) await storeFile(name, data);
  const { world, about, language } = recordingOrigin(data);
  startOfWorld(world, { replay: kPlayerFiles + '/' + name, label: 'a game shared with you (' + about + ')', language }, 'watch it');
  return true;
}

// A share button for a recording in the list of games.
export const shareButton = (rec) => button('Share', () => share(rec.name, rec.data), 'Share ' + rec.name);

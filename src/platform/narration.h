// What the console shows, as text a screen reader can speak (code page
// 932): the message window's newest message, and the game's own lines on
// what changed (arriving on a map, a step that matters, a battle's start
// and exchanges, each selection, the level-up rows). The page mirrors it
// in a live region; where speech is on, the system's own speech service
// says it (Speech Dispatcher, SAPI, the browser's). The screen,
// recordings and replays never depend on it.
#pragma once

#include <string>
#include <string_view>

namespace rf::platform {

// How a line gives way: a passing line (a step, a selection) is dropped
// when a newer one comes before it is said; a kept one (a battle's
// messages and numbers) is always said whole, in turn.
enum class Voice { kPassing, kKept };

void NarrateMessage(std::string_view text);
// A line the game says; the line just said is not said again.
void Narrate(std::string_view text, Voice voice = Voice::kPassing);
// A line said even when it was the last one (a second bump, asked again).
void NarrateAgain(std::string_view text, Voice voice = Voice::kPassing);
// Whether anything shows or says the narration: without it the game does
// not make its lines at all.
bool Narrating();
// Where the player looks (the hero's cell on the field), for a view that
// shows a part of the screen at a time: the page zoomed on a phone.
void Focus(int x, int y);

// Speech through the system's service, in the language `code` ("ja",
// "en"). False, with the reason, where there is none: the game goes on
// without it. Stopping lets the words said so far finish.
bool StartSpeech(std::string_view code, std::string& problem);
void StopSpeech();
bool Speaking();
// The game's language changed: the voice follows.
void SpeakIn(std::string_view code);

}  // namespace rf::platform

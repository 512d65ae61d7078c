#pragma once
// Sounds: the countdown cue "wav/a.wav" and the exclamation and information cues of the message
// boxes. Fire and forget: nothing ever waits on a sound (with no audio device Qt reports "playing"
// forever), and a missing file or device is silent.
#include <functional>

namespace sound {

enum class Cue { Countdown, Exclamation, Information };

// Loads the cues once; the countdown cue from wav/a.wav in the working folder.
void init();
void play(Cue cue);

// Tests observe the cues instead of hearing them; with an observer set nothing is played.
using Observer = std::function<void(Cue)>;
void setObserver(Observer observer);

} // namespace sound

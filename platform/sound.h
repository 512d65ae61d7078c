#pragma once
// Sounds: the countdown cue "wav/a.wav" and the exclamation and information cues of the message
// boxes. Fire and forget: nothing ever waits on a sound (with no audio device Qt reports "playing"
// forever). The countdown file is looked at before every cue and read afresh when it has changed;
// when it is missing or cannot be played, the platform's default sound plays instead.
#include "base/classroom.h"

#include <functional>

namespace sound {

enum class Cue {
    Countdown,   // wav/a.wav
    Exclamation, // a warning box
    Information, // a deletion's confirmation
    Default,     // the platform's default sound: what plays for a countdown file that is not there
};

// The classroom whose wav/a.wav is the countdown cue; none until this is called (the default sound).
void useClassroom(const Classroom &classroom);
// Loads the cues; the countdown cue from the classroom's wav/a.wav.
void init();
// Plays a cue; Countdown becomes Default when wav/a.wav is missing or damaged.
void play(Cue cue);

// Tests observe the cues instead of hearing them; with an observer set nothing is played, but the
// countdown file is looked at as for playing.
using Observer = std::function<void(Cue)>;
void setObserver(Observer observer);

} // namespace sound

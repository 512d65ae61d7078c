#pragma once
// Checks a wave file before the sound layer is given it: a damaged one (empty, cut short, chunk
// sizes past its end) can make the audio backend fail in ways that never end, up to a destructor
// that waits for ever at exit.
#include <QByteArray>
#include <QString>

namespace wavefile {

// Larger files are not read: a countdown cue is a fraction of a second.
inline constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

// Why the bytes are not a playable RIFF/WAVE file of PCM or float samples whose chunks all lie
// within the file; empty when they are.
QString problem(const QByteArray &bytes);

} // namespace wavefile

#pragma once
// Which drills of a history were shown off their pace: the history file and the pace file beside it
// (drill/pace.h) are paired line by line. Only reads. QtCore only.
//
// A pace line is appended just after its drill's history line, so the two files end alike; drills
// from before the pace file existed, or whose pace line could not be written, have none. The files
// are therefore paired from their ends: a pace line belongs to the latest unpaired history line of
// the same grade and day. A pace line newer than the history line in hand (a history line lost or
// edited away) pairs with nothing.
#include "records/overview.h"

#include <QList>
#include <QStringList>

#include <vector>

namespace pacemarks {

// One entry per history line (line 1, the header, included and never marked): true for a drill
// whose pace line says ずれあり. Damaged lines of either file pair with nothing.
QList<bool> lateDrills(const QStringList &history, const QStringList &paceLines);

// The same for a user, from the user folder. A missing, unreadable or damaged pace file marks
// nothing: the pace is no record, and never keeps the history from being shown.
QList<bool> lateDrillsOf(const QString &user, const QStringList &history);

// Every registered child's summary for the class overview, in the listing's order, with the pace
// marks; a child whose history cannot be read (gone since the listing, unreadable) has no drills.
std::vector<overview::Summary> classroom(const QDate &today);
// A child's drills for the chart, with the pace marks; none when the history cannot be read.
overview::Course courseOf(const QString &user);

} // namespace pacemarks

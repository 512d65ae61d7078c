#pragma once
// Recording a finished drill: its history line appended (or kept aside when the classroom takes no
// line), its pace line beside a history line that landed, and the lines kept aside before sent after
// it. The screens only show what this says.
#include "base/errors.h"

#include <QString>

#include <functional>
#include <optional>

class DrillSession;

namespace drillrecord {

// When the drill is recorded: at the result sheet's fill (the history file must be there: it is
// made at registration), or on the way out of the program, where a child deleted meanwhile simply
// gets nothing.
enum class Moment { Sheet, WayOut };

struct Said {
    bool recorded = false;             // the drill had a line to record (the sheet marks it then)
    bool late = false;                 // its pace line says ずれあり: the sheet shows the busy notice
    std::optional<pz::IoError> failed; // the line did not land; the text says whether it was kept aside
    QString kept;                      // about this classroom's kept lines (dropped, set aside), or empty
};

// Records the drill's fixed line, once. At the sheet, a line that could not even be kept aside stays
// with the drill for the way out, and the kept lines follow from the event loop in short batches
// (`later` gets their message, when there is one). On the way out the line is given up first,
// whatever happens, and the kept lines get one more short try.
Said record(DrillSession &drill, Moment moment, std::function<void(const QString &message)> later = {});

} // namespace drillrecord

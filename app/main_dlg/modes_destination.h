#pragma once

#include <optional>

namespace orbisk {

// The three destinations of a capture, each with its check box: two images
// merged into one, pages collected into one PDF, pages collected into one
// multi-page TIFF. At most one is on, and a destination whose dialog is open
// cannot be left for another one.
enum class Destination { Merge, OnePdf, MultiPageTif };

struct DestinationBoxes {
    bool merge = false;
    bool onePdf = false;
    bool multiPageTif = false;
    bool operator==(const DestinationBoxes&) const = default;
};

// What the window holds when a box is clicked. `boxes` are the check states
// after the click toggled the clicked box.
struct DestinationState {
    DestinationBoxes boxes;
    bool mergeDlgOpen = false;
    bool pageDlgOpen = false;
    bool documentCamera = true;
};

// What the click leads to.
struct DestinationOutcome {
    DestinationBoxes boxes;
    std::optional<int> collection;  // the new PDFORTIF, when it is set
    std::optional<int> merge;       // the new Merge, when it is set
    int message = -1;               // the refusal's message index, -1 none
    bool deleteMergeDlg = false;
    bool deletePageDlg = false;
};

// The effect of a click on the box of `clicked`.
DestinationOutcome ClickDestination(Destination clicked, const DestinationState& state);

// A click taken back: the clicked box as it was before, nothing else changed.
// `boxes` are the check states after the click.
DestinationOutcome UndoClick(Destination clicked, const DestinationBoxes& boxes);

}  // namespace orbisk

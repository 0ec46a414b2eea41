#include "app/main_dlg/modes_destination.h"

#include "app/main_dlg/message_texts.h"
#include "core/sys_settings.h"

namespace orbisk {
namespace {

bool& BoxOf(DestinationBoxes& boxes, Destination d) {
    switch (d) {
        case Destination::Merge:
            return boxes.merge;
        case Destination::OnePdf:
            return boxes.onePdf;
        case Destination::MultiPageTif:
            break;
    }
    return boxes.multiPageTif;
}

// The open dialog that keeps the operator in its destination, as the message
// that says so; -1 when the click may go ahead.
int Refusal(Destination clicked, const DestinationState& s) {
    const DestinationBoxes& b = s.boxes;
    if (clicked != Destination::OnePdf && b.onePdf && s.pageDlgOpen) return kMsgMakingPdf;
    if (clicked != Destination::MultiPageTif && b.multiPageTif && s.pageDlgOpen) {
        return kMsgMakingTif;
    }
    if (clicked != Destination::Merge && b.merge && s.mergeDlgOpen) return kMsgCombining;
    return -1;
}

}  // namespace

DestinationOutcome UndoClick(Destination clicked, const DestinationBoxes& boxes) {
    DestinationOutcome out;
    out.boxes = boxes;
    bool& box = BoxOf(out.boxes, clicked);
    box = !box;
    return out;
}

DestinationOutcome ClickDestination(Destination clicked, const DestinationState& state) {
    DestinationOutcome out;
    out.boxes = state.boxes;
    bool& box = BoxOf(out.boxes, clicked);
    if (!state.documentCamera) {
        box = !box;  // the click is undone; nothing else changes
        return out;
    }
    out.message = Refusal(clicked, state);
    if (out.message >= 0) {
        box = !box;
        return out;
    }
    const bool on = box;
    if (clicked == Destination::Merge) {
        if (out.boxes.onePdf || out.boxes.multiPageTif) out.collection = int(CollectionMode::None);
        out.boxes.onePdf = out.boxes.multiPageTif = false;
        out.deleteMergeDlg = !on && state.mergeDlgOpen;
        out.merge = on ? 1 : 0;
        return out;
    }
    const bool pdf = clicked == Destination::OnePdf;
    (pdf ? out.boxes.multiPageTif : out.boxes.onePdf) = false;
    if (out.boxes.merge) {
        out.boxes.merge = false;
        out.merge = 0;
    }
    const CollectionMode mode = pdf ? CollectionMode::OnePdf : CollectionMode::MultiPageTif;
    out.collection = int(on ? mode : CollectionMode::None);
    out.deletePageDlg = !on && state.pageDlgOpen;
    return out;
}

}  // namespace orbisk

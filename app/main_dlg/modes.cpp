// The right-hand column's modes: naming rule and running index, barcode
// naming, crop, colour, and the three destinations of a capture.

#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "documents/dialogs/multi_page_dlg.h"
#include "documents/dialogs/show_image_dlg.h"
#include "platform/language_text.h"
#include "platform/window_messages.h"
#include "ui/dialog_file_name.h"
#include "ui/my_combo_box.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

namespace orbisk {

using namespace ids::main_dlg;

namespace {

// The captures of a merge left unmerged, which stay where they were saved.
constexpr platform::LanguageText kKeptImages{"未合并，已保存：", "未合併，已儲存：",
                                             "Saved, not merged:"};

}  // namespace

void COrbiskDlg::ConnectModeControls() {
    auto group = [this](std::initializer_list<int> ids) {
        auto* g = new QButtonGroup(this);
        int n = 0;
        for (int id : ids) g->addButton(ControlAs<QRadioButton>(id), n++);
        return g;
    };
    group({IDC_NAMING_PREFIX, IDC_NAMING_TIME, IDC_NAMING_CUSTOM});
    m_cropGroup = group({IDC_CROP_NONE, IDC_CROP_AUTO, IDC_CROP_CUSTOM});
    group({IDC_COLOR_COLOR, IDC_COLOR_GRAY, IDC_COLOR_MONO});
    connect(ControlAs<QLineEdit>(IDC_INDEX_EDIT), &QLineEdit::textChanged, this,
            [this] { OnChangeIndex(); });

    m_prefixCombo->SetEditor([this]() -> std::optional<QStringList> {
        PrefixListStore store{[this] { return GetSettings().PRECHOOSE; },
                              [this](const QString& text) {
                                  SetPrefixList(text);
                                  GetSettings().Save();
                              }};
        // The editor of the combo box speaks simplified Chinese.
        CDialogFileName editor(nullptr, 0, std::move(store));
        if (env_.messages) {
            editor.SetMessageSink(
                [this](const QString& text) { env_.messages(text, QMessageBox::Critical); });
        }
        if (editor.exec() != QDialog::Accepted) return std::nullopt;
        return editor.m_items;
    });
}

void COrbiskDlg::SetNamingRule(int rule) {
    m_nNamingRule = rule;
    const bool prefix = rule == int(NamingRule::PrefixAndNumber);
    m_prefixCombo->setEnabled(prefix);
    Control(IDC_INDEX_EDIT)->setEnabled(prefix);
}

void COrbiskDlg::OnNamingPrefix() { SetNamingRule(int(NamingRule::PrefixAndNumber)); }
void COrbiskDlg::OnNamingTime() { SetNamingRule(int(NamingRule::DateAndTime)); }
void COrbiskDlg::OnNamingCustom() { SetNamingRule(int(NamingRule::Asked)); }

// These handlers take only their own control: the full data exchange would
// also read controls that a caller of PushToControls has not set yet.
void COrbiskDlg::OnChangeIndex() {
    m_nIndexEdit = ControlAs<QLineEdit>(IDC_INDEX_EDIT)->text().toInt();
    m_settings.INDEX = m_nIndexEdit;
}

qintptr COrbiskDlg::OnPrefixChanged(qintptr, qintptr) {
    // A new prefix starts its numbering afresh.
    m_strCurrentPrefix = m_prefixCombo->CurrentPrefix();
    m_nIndexEdit = 0;
    m_settings.INDEX = 0;
    auto* index = ControlAs<QLineEdit>(IDC_INDEX_EDIT);
    const QSignalBlocker blocker(index);
    index->setText(QString::number(m_nIndexEdit));
    return 1;
}

void COrbiskDlg::OnBarcodeNaming() {
    m_settings.RECOGNIZE = ControlAs<QCheckBox>(IDC_BARCODE_NAMING)->isChecked() ? 1 : 0;
}

CameraPort* COrbiskDlg::CurrentCamera() const {
    if (m_settings.CurrentCamera == 0) return m_pDocCamera.get();
    if (m_settings.CurrentCamera == 1) return m_pPorCamera.get();
    return nullptr;
}

void COrbiskDlg::ShowCropMode() {
    const QSignalBlocker blocker(m_cropGroup);
    if (QAbstractButton* radio = m_cropGroup->button(m_settings.CUTPAGETYPE)) {
        radio->setChecked(true);
    }
}

void COrbiskDlg::OnCropNone() {
    if (ControlAs<QRadioButton>(IDC_CROP_NONE)->isChecked()) {
        m_settings.CUTPAGETYPE = int(CropMode::None);
    }
    if (CameraPort* camera = CurrentCamera()) {
        camera->EnableCustomCropBox(false);
        camera->SetAutoDetect(false, 0, kSingleObjectThreshold);
    }
}

void COrbiskDlg::OnCropAuto() {
    if (ControlAs<QRadioButton>(IDC_CROP_AUTO)->isChecked()) {
        m_settings.CUTPAGETYPE = int(CropMode::Automatic);
    }
    CameraPort* camera = CurrentCamera();
    if (!camera) return;
    camera->EnableCustomCropBox(false);
    if (m_settings.CurrentCamera == 0) {
        camera->SetAutoDetect(true, m_settings.ISMUTICUTPAGE ? 1 : 0, kDocumentThreshold);
    } else {
        camera->SetAutoDetect(true, 0, kSingleObjectThreshold);
    }
}

void COrbiskDlg::OnCropCustom() {
    if (!m_pDocCamera) {
        // Nothing changes, and the radios keep showing the mode in use.
        ShowCropMode();
        return;
    }
    if (ControlAs<QRadioButton>(IDC_CROP_CUSTOM)->isChecked()) {
        m_settings.CUTPAGETYPE = int(CropMode::CustomRectangle);
    }
    if (CameraPort* camera = CurrentCamera()) {
        camera->SetAutoDetect(false, 0, kSingleObjectThreshold);
        camera->EnableCustomCropBox(true);
    }
}

void COrbiskDlg::SetColourMode(int mode) {
    m_settings.COLOR = mode;
    // An open merge dialog merges its next pair in the new mode.
    if (m_pMergeDlg) m_pMergeDlg->SetSettings(m_settings);
}

void COrbiskDlg::OnColorModeColor() { SetColourMode(int(ColourMode::Colour)); }
void COrbiskDlg::OnColorModeGray() { SetColourMode(int(ColourMode::Grey)); }
void COrbiskDlg::OnColorModeMono() { SetColourMode(int(ColourMode::BlackAndWhite)); }

void COrbiskDlg::OnMergeImages() { OnDestinationClicked(Destination::Merge); }
void COrbiskDlg::OnSaveAsOnePdf() { OnDestinationClicked(Destination::OnePdf); }
void COrbiskDlg::OnSaveAsMultiPageTif() { OnDestinationClicked(Destination::MultiPageTif); }

void COrbiskDlg::OnDestinationClicked(Destination clicked) {
    auto* merge = ControlAs<QCheckBox>(IDC_MERGE);
    auto* pdf = ControlAs<QCheckBox>(IDC_ONE_PDF);
    auto* tif = ControlAs<QCheckBox>(IDC_MULTI_PAGE_TIF);
    DestinationState state;
    state.boxes = {merge->isChecked(), pdf->isChecked(), tif->isChecked()};
    state.mergeDlgOpen = !m_pMergeDlg.isNull();
    state.pageDlgOpen = m_pPageDlg != nullptr;
    state.documentCamera = m_pDocCamera != nullptr;
    DestinationOutcome out = ClickDestination(clicked, state);
    // Nothing collected is lost on a click: the collection writes its document
    // as its combine button does, and stays when that fails (it told why).
    if (out.deletePageDlg && !m_pPageDlg->WriteDocument()) out = UndoClick(clicked, state.boxes);

    for (auto [box, on] : {std::pair{merge, out.boxes.merge}, std::pair{pdf, out.boxes.onePdf},
                           std::pair{tif, out.boxes.multiPageTif}}) {
        const QSignalBlocker blocker(box);
        box->setChecked(on);
    }
    if (out.message >= 0) Message(out.message, QMessageBox::Information);
    if (out.collection) m_settings.PDFORTIF = *out.collection;
    if (out.merge) m_settings.Merge = *out.merge;
    if (out.deleteMergeDlg) FinishMergeDialog();
    if (out.deletePageDlg) m_pPageDlg.reset();
}

void COrbiskDlg::FinishMergeDialog() {
    const QStringList captured = m_pMergeDlg->Images();
    // A pair is merged as its OK does; the merged file reaches the strip with
    // the dialog's close report, and the dialog deletes itself.
    if (captured.size() == 2) {
        m_pMergeDlg->OnBnClickedOk();
        if (m_pMergeDlg->IsClosing()) {
            const bool merged = !m_pMergeDlg->MergedPath().isEmpty();
            m_pMergeDlg = nullptr;
            if (merged) return;
        }
    }
    if (m_pMergeDlg) {
        delete m_pMergeDlg.data();
        m_pMergeDlg = nullptr;
    }
    // What was not merged stays where it was saved; the operator learns where.
    if (!captured.isEmpty() && env_.messages) {
        env_.messages(kKeptImages.In(m_settings.Language) + '\n' + captured.join('\n'),
                      QMessageBox::Information);
    }
}

}  // namespace orbisk

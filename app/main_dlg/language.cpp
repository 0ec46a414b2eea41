// The main window's texts in the operator's language.

#include "app/main_dlg/orbisk_dlg.h"
#include "core/command_ids.h"
#include "ui/fx_button.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>

namespace orbisk {

namespace {

void SetCaption(QWidget* control, const QString& text) {
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    }
}

}  // namespace

void COrbiskDlg::LoadMessageTexts(int language) { orbisk::LoadMessageTexts(m_msgTexts, language); }

void COrbiskDlg::ApplyLanguageToControls(int language) {
    if (!platform::IsLanguageIndex(language)) return;
    for (const LanguageButton& row : LanguageButtons()) {
        const ButtonFaces& f = row.faces[language];
        Button(row.id)->SetBitmaps(f.normal, f.fill, f.pressed, f.hover, f.disabled);
    }
    const QPalette tips = palette();
    for (const ControlText& row : ButtonTooltips()) {
        Button(row.id)->SetTooltip(row.text.In(language), tips.color(QPalette::ToolTipText).rgb(),
                                   tips.color(QPalette::ToolTipBase).rgb());
    }
    update();
    for (const ControlText& row : ControlCaptions())
        SetCaption(Control(row.id), row.text.In(language));
    SetCaption(Control(ids::main_dlg::IDC_BRAND_LABEL),
               BrandLineText(language, m_msgTexts[kMsgBrandLabel]));
}

}  // namespace orbisk

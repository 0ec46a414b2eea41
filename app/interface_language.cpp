#include "app/interface_language.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <optional>

namespace orbisk {
namespace {

struct InterfaceState {
    std::optional<QFont> originalFont;
    std::unique_ptr<QTranslator> translator;
};

InterfaceState& State() {
    static InterfaceState state;
    return state;
}

void RemoveTranslator() {
    InterfaceState& state = State();
    if (!state.translator) return;
    QCoreApplication::removeTranslator(state.translator.get());
    state.translator.reset();
}

// The widgets that exist take the font at once, not when the event loop next
// runs: the start-up measures and draws its controls before that.
void SetApplicationFont(const QFont& font) {
    QApplication::setFont(font);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationFontChange);
}

}  // namespace

QString InterfaceFontFamily(int language) {
    switch (language) {
        case 0:
            return QStringLiteral("Noto Sans CJK SC");
        case 1:
            return QStringLiteral("Noto Sans CJK TC");
        case 2:
            return QStringLiteral("Liberation Sans");
        default:
            return QString();
    }
}

QString QtTranslationName(int language) {
    switch (language) {
        case 0:
            return QStringLiteral("qtbase_zh_CN");
        case 1:
            return QStringLiteral("qtbase_zh_TW");
        default:
            return QString();
    }
}

void ApplyInterfaceLanguage(int language) {
    const QString family = InterfaceFontFamily(language);
    if (family.isEmpty()) return;
    InterfaceState& state = State();
    if (!state.originalFont) state.originalFont = QApplication::font();
    RemoveTranslator();
    if (const QString name = QtTranslationName(language); !name.isEmpty()) {
        auto translator = std::make_unique<QTranslator>();
        // Without the catalogue Qt's texts stay English.
        if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
            QCoreApplication::installTranslator(translator.get())) {
            state.translator = std::move(translator);
        }
    }
    QFont font = *state.originalFont;
    font.setFamilies({family});
    SetApplicationFont(font);
}

void ResetInterfaceLanguage() {
    InterfaceState& state = State();
    RemoveTranslator();
    if (state.originalFont) SetApplicationFont(*state.originalFont);
    state.originalFont.reset();
}

}  // namespace orbisk

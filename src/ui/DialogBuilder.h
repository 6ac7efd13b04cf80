#pragma once

#include <map>
#include <vector>

#include <QFont>
#include <QRect>

#include "ui/DialogTemplate.h"

class QDialog;
class QWidget;

namespace zenko::ui {

// The dialogs were laid out in 9-point "ＭＳ Ｐゴシック". Fontconfig maps that name to no
// Japanese font, so IPAPGothic, which is metric-compatible, is substituted explicitly.
QFont DialogFont();

// A caption or accessible name of the template in the operator's language: as designed unless
// a translation is installed.
QString TemplateText(const DialogTemplate& dialog, const char* text);

// Dialog units of a font: horizontal base = average width of A-Z a-z, vertical = font height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }
    int toPixelsX(int dialogUnits) const;
    int toPixelsY(int dialogUnits) const;
    QRect toPixels(int x, int y, int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};

// The widgets of one built dialog, found by id.
class BuiltControls {
public:
    void add(int id, QWidget* widget);
    QWidget* find(int id) const;
    template <class T> T* get(int id) const { return qobject_cast<T*>(find(id)); }
    const std::vector<QWidget*>& inCreationOrder() const { return m_inOrder; }

private:
    std::map<int, QWidget*> m_byId;
    std::vector<QWidget*> m_inOrder;
};

// Creates the template's controls as children of `client`, sized and placed by `units`, with
// object names "ctl<id>", accessible names, and the tab order of creation.
BuiltControls BuildControls(QWidget* client, const DialogTemplate& dialog,
                            const DialogUnits& units);

// The standard command ids of a dialog's OK and Cancel buttons.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// A modal dialog of its own: title bar with a close box, the template's caption and size in the
// dialog font, its controls built on it, OK accepting and Cancel rejecting.
BuiltControls BuildModalDialog(QDialog* dialog, const DialogTemplate& dialogTemplate);

} // namespace zenko::ui

#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace zenko::ui {

// Spin buttons bound to a separate edit: the edit keeps whatever the operator types (letters,
// 500, -400); the buttons and the Up/Down keys in the edit write whole numbers within the
// range, stopping at its ends.
class UpDownControl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownControl(QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return m_buddy; }
    void setRange(int lower, int upper);
    int lower() const { return m_lower; }
    int upper() const { return m_upper; }
    // Clamped into the range, and written into the buddy.
    void setPosition(int position);
    int position() const { return m_position; }

    void stepBy(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_buddy = nullptr;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_lower = 0;
    int m_upper = 100;
    int m_position = 0;
};

} // namespace zenko::ui

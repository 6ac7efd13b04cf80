#include "ui/UpDownControl.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/Numbers.h"

namespace zenko::ui {

UpDownControl::UpDownControl(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (auto [button, arrow, step] :
         {std::tuple{m_up, Qt::UpArrow, 1}, std::tuple{m_down, Qt::DownArrow, -1}}) {
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, step = step] { stepBy(step); });
    }
    m_up->setAccessibleName(QStringLiteral("+"));
    m_down->setAccessibleName(QStringLiteral("-"));
    setFocusPolicy(Qt::NoFocus);
}

void UpDownControl::setBuddy(QLineEdit* buddy) {
    if (m_buddy != nullptr) {
        m_buddy->removeEventFilter(this);
    }
    m_buddy = buddy;
    if (m_buddy != nullptr) {
        m_buddy->installEventFilter(this);
    }
}

void UpDownControl::setRange(int lower, int upper) {
    m_lower = std::min(lower, upper);
    m_upper = std::max(lower, upper);
    m_position = std::clamp(m_position, m_lower, m_upper);
}

void UpDownControl::setPosition(int position) {
    m_position = std::clamp(position, m_lower, m_upper);
    if (m_buddy != nullptr) {
        m_buddy->setText(QString::number(m_position));
    }
}

void UpDownControl::stepBy(int steps) {
    // The operator may have typed into the edit since the last step: a whole number there is
    // where the step starts from; anything else leaves the held position.
    if (m_buddy != nullptr) {
        if (auto typed =
                platform::ParseFieldInteger(m_buddy->text(), platform::FieldInteger::Signed32)) {
            m_position = static_cast<int>(std::clamp<std::int64_t>(*typed, m_lower, m_upper));
        }
    }
    setPosition(m_position + steps);
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zenko::ui

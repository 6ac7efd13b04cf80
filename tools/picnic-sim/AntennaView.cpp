#include "picnic-sim/AntennaView.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "picnic-sim/PicnicSimulator.h"
#include "platform/Formats.h"
#include "ui/DialogBuilder.h"

namespace zenko::picnic {

namespace {

constexpr QRgb kFace = qRgb(0xfc, 0xfc, 0xfa);
constexpr QRgb kRing = qRgb(0x5f, 0x67, 0x70);
constexpr QRgb kMajorTick = qRgb(0x37, 0x3e, 0x45);
constexpr QRgb kMinorTick = qRgb(0x9a, 0xa2, 0xaa);
constexpr QRgb kNeedle = qRgb(0xd0, 0x2a, 0x2a);
constexpr QRgb kHub = qRgb(0x37, 0x3e, 0x45);
constexpr QRgb kMutedText = qRgb(0x5a, 0x62, 0x6a);
constexpr QRgb kIncreaseLit = qRgb(0x2e, 0xb8, 0x45);
constexpr QRgb kDecreaseLit = qRgb(0xf5, 0xa6, 0x00);
constexpr QRgb kUnlit = qRgb(0xc9, 0xce, 0xd3);
constexpr QRgb kUnlitRim = qRgb(0x9a, 0xa2, 0xaa);
constexpr QRgb kLampPanel = qRgb(0xf7, 0xf8, 0xf9);
constexpr QRgb kLampFrame = qRgb(0xb4, 0xba, 0xc0);

// Below this a dial is too small to read; it is left out rather than drawn as a smudge.
constexpr double kSmallestDial = 12.0;
// The compass radius at the default window size, where the dial's lettering has the font's
// own size; larger dials letter larger, smaller ones drop the degree numbers.
constexpr double kNominalRadius = 82.0;
constexpr double kSmallestNumberedRadius = 64.0;

double LetteringScale(double radius) {
    return std::clamp(radius / kNominalRadius, 0.85, 2.0);
}

QFont ScaledFont(const QFont& base, double factor, bool bold) {
    QFont scaled = base;
    scaled.setPointSizeF(base.pointSizeF() * factor);
    scaled.setBold(bold);
    return scaled;
}

// A needle from `from` to `tip` with a head, so that it reads as a direction, not a diameter.
void PaintNeedle(QPainter& painter, QPointF from, QPointF tip, double scale) {
    const QPointF along = tip - from;
    const double length = std::hypot(along.x(), along.y());
    if (length < 1.0) {
        return;
    }
    const QPointF unit = along / length;
    const QPointF normal(-unit.y(), unit.x());
    const double headLength = std::min(11.0 * scale, length / 3.0);
    const QPointF headBase = tip - unit * headLength;
    painter.setPen(QPen(QColor(kNeedle), 3.0 * scale, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, headBase);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kNeedle));
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(headBase + normal * 5.0 * scale);
    head.lineTo(headBase - normal * 5.0 * scale);
    head.closeSubpath();
    painter.drawPath(head);
}

void PaintHub(QPainter& painter, QPointF centre, double scale) {
    painter.setPen(QPen(QColor(kNeedle), 2.0 * scale));
    painter.setBrush(QColor(kHub));
    painter.drawEllipse(centre, 5.0 * scale, 5.0 * scale);
}

struct Tick {
    double length;
    double width;
    QRgb colour;
};

// Every 5°: longer at 10°, longer still at 30°, longest at the cardinal points.
Tick TickAt(int degrees, double radius) {
    if (degrees % 90 == 0) {
        return {radius * 0.13, 2.2, kMajorTick};
    }
    if (degrees % 30 == 0) {
        return {radius * 0.10, 1.6, kMajorTick};
    }
    if (degrees % 10 == 0) {
        return {radius * 0.06, 1.0, kMinorTick};
    }
    return {radius * 0.035, 1.0, kMinorTick};
}

// The state in words as well: a checked button looks much like an unchecked one in some styles.
QString AnswerButtonText(Axis axis, bool answer) {
    return (axis == Axis::Azimuth ? QStringLiteral("方位角 ADC ") : QStringLiteral("仰角 ADC ")) +
           (answer ? QStringLiteral("応答") : QStringLiteral("無応答"));
}

// The faults as AxisFaults holds them, with their captions; a filled circle marks one that is
// on.
struct FaultButton {
    bool AxisFaults::*on;
    QString caption;
    QString toolTip;
};

const std::array<FaultButton, AntennaView::kFaultKinds>& FaultButtons() {
    static const std::array<FaultButton, AntennaView::kFaultKinds> kinds{{
        {&AxisFaults::jammed, QStringLiteral("固着"),
         QStringLiteral("On: the axis stands still whatever its relays do")},
        {&AxisFaults::relaysSwapped, QStringLiteral("逆配線"),
         QStringLiteral("On: each relay turns the axis the other way")},
        {&AxisFaults::readingFrozen, QStringLiteral("読値固定"),
         QStringLiteral("On: the ADC reads the same count while the axis turns on")},
    }};
    return kinds;
}

QString FaultButtonText(const FaultButton& kind, bool on) {
    return (on ? QStringLiteral("●") : QStringLiteral("○")) + kind.caption;
}

QString RestartButtonText(bool restarting) {
    return restarting ? QStringLiteral("ボード再起動中…") : QStringLiteral("ボード再起動");
}

QRectF CentredText(QPointF centre, const QFontMetricsF& metrics, const QString& text) {
    const QSizeF size(metrics.horizontalAdvance(text) + 2.0, metrics.height());
    return QRectF(centre - QPointF(size.width() / 2.0, size.height() / 2.0), size);
}

} // namespace

AntennaReading ReadModel(const RotatorModel& model) {
    const auto axisReading = [&model](Axis axis) {
        return AxisReading{model.angle(axis), model.volts(axis), model.count(axis)};
    };
    return {axisReading(Axis::Azimuth), axisReading(Axis::Elevation), model.relayByte()};
}

std::array<RelayLamp, 4> RelayLamps() {
    return {{
        {QStringLiteral("Az +"), kAzimuthIncrease, QColor(kIncreaseLit)},
        {QStringLiteral("Az \u2212"), kAzimuthDecrease, QColor(kDecreaseLit)},
        {QStringLiteral("El +"), kElevationIncrease, QColor(kIncreaseLit)},
        {QStringLiteral("El \u2212"), kElevationDecrease, QColor(kDecreaseLit)},
    }};
}

AntennaView::AntennaView(PicnicSimulator& simulator, QWidget* parent)
    : QWidget(parent), m_simulator(simulator) {
    setFont(ui::DialogFont());
    setWindowTitle(
        QStringLiteral("picnic-sim %1:%2 \u2014 アンテナ")
            .arg(simulator.options().bindAddress, platform::FormatInteger(simulator.port())));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_reading = ReadModel(m_simulator.modelNow());
    connect(&m_timer, &QTimer::timeout, this, &AntennaView::refresh);
    m_timer.start(kRefreshIntervalMs);
    for (const Axis axis : {Axis::Azimuth, Axis::Elevation}) {
        auto* button = new QPushButton(AnswerButtonText(axis, simulator.answerAdc(axis)), this);
        button->setCheckable(true);
        button->setChecked(simulator.answerAdc(axis));
        button->setToolTip(QStringLiteral("Off: the board leaves this axis's ADC requests "
                                          "unanswered"));
        connect(button, &QPushButton::toggled, this, [this, axis, button](bool answer) {
            button->setText(AnswerButtonText(axis, answer));
            m_simulator.setAnswerAdc(axis, answer);
        });
        m_answerButtons[AxisIndex(axis)] = button;
    }
    connect(&simulator, &PicnicSimulator::answerAdcChanged, this,
            [this](Axis axis, bool answer) { answerButton(axis)->setChecked(answer); });
    for (const Axis axis : {Axis::Azimuth, Axis::Elevation}) {
        for (std::size_t fault = 0; fault < kFaultKinds; ++fault) {
            const FaultButton& kind = FaultButtons()[fault];
            const bool on = simulator.faults(axis).*kind.on;
            auto* button = new QPushButton(FaultButtonText(kind, on), this);
            button->setCheckable(true);
            button->setChecked(on);
            button->setToolTip(kind.toolTip);
            connect(button, &QPushButton::toggled, this, [this, axis, &kind](bool checked) {
                AxisFaults faults = m_simulator.faults(axis);
                faults.*kind.on = checked;
                m_simulator.setFaults(axis, faults);
            });
            m_faultButtons[AxisIndex(axis)][fault] = button;
        }
    }
    connect(&simulator, &PicnicSimulator::faultsChanged, this,
            [this](Axis axis, const AxisFaults& /*before*/, const AxisFaults& faults) {
                for (std::size_t fault = 0; fault < kFaultKinds; ++fault) {
                    const FaultButton& kind = FaultButtons()[fault];
                    QPushButton* button = faultButton(axis, fault);
                    button->setChecked(faults.*kind.on);
                    button->setText(FaultButtonText(kind, faults.*kind.on));
                }
            });
    m_restartButton = new QPushButton(RestartButtonText(simulator.restarting()), this);
    m_restartButton->setToolTip(
        QStringLiteral("The board drops its relays, stays silent for %1 s and then answers with "
                       "its I/O directions forgotten")
            .arg(kRestartSeconds));
    connect(m_restartButton, &QPushButton::clicked, this,
            [this] { m_simulator.restart(kRestartSeconds); });
    connect(&simulator, &PicnicSimulator::restartingChanged, this, [this](bool restarting) {
        m_restartButton->setText(RestartButtonText(restarting));
        m_restartButton->setEnabled(!restarting);
    });
}

QPushButton* AntennaView::answerButton(Axis axis) const {
    return m_answerButtons[AxisIndex(axis)];
}

QPushButton* AntennaView::faultButton(Axis axis, std::size_t fault) const {
    return m_faultButtons[AxisIndex(axis)][fault];
}

// Three rows: one per axis, and the restart.
int AntennaView::buttonStripHeight() const {
    constexpr int kRows = 3;
    return kRows * (m_answerButtons[0]->sizeHint().height() + static_cast<int>(kViewMargin) / 2) +
           static_cast<int>(kViewMargin) / 2;
}

QString AntennaView::angleText(Axis axis) const {
    return FormatAngleReadout(axis == Axis::Azimuth ? QStringLiteral("az") : QStringLiteral("el"),
                              m_reading.axis(axis).angle);
}

QString AntennaView::electricalText(Axis axis) const {
    const AxisReading& reading = m_reading.axis(axis);
    return FormatElectricalReadout(reading.volts, reading.count);
}

bool AntennaView::lampLit(std::size_t index) const {
    const std::array<RelayLamp, 4> lamps = RelayLamps();
    return index < lamps.size() && (m_reading.relays & lamps[index].bit) != 0;
}

AntennaLayout AntennaView::currentLayout() const {
    return LayoutAntennaView(QSizeF(width(), std::max(0, height() - buttonStripHeight())),
                             QFontMetricsF(font()).height());
}

QSize AntennaView::sizeHint() const {
    return {440, 300 + buttonStripHeight()};
}

QSize AntennaView::minimumSizeHint() const {
    return {380, 230 + buttonStripHeight()};
}

// A row per axis: its ADC answers, given more room for the axis's name, then its faults.
void AntennaView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int margin = static_cast<int>(kViewMargin);
    const int gap = margin / 2;
    const int buttonHeight = m_answerButtons[0]->sizeHint().height();
    const int rowWidth = std::max(0, width() - 2 * margin);
    const int faultWidth = std::max(0, (rowWidth - static_cast<int>(kFaultKinds) * gap) * 2 /
                                           (2 * static_cast<int>(kFaultKinds) + 3));
    const int answerWidth =
        std::max(0, rowWidth - static_cast<int>(kFaultKinds) * (faultWidth + gap));
    const int restartTop = height() - margin - buttonHeight;
    for (std::size_t row = 0; row < m_answerButtons.size(); ++row) {
        const int top =
            restartTop - static_cast<int>(m_answerButtons.size() - row) * (buttonHeight + gap);
        m_answerButtons[row]->setGeometry(margin, top, answerWidth, buttonHeight);
        for (std::size_t fault = 0; fault < kFaultKinds; ++fault) {
            m_faultButtons[row][fault]->setGeometry(
                margin + answerWidth + gap + static_cast<int>(fault) * (faultWidth + gap), top,
                faultWidth, buttonHeight);
        }
    }
    m_restartButton->setGeometry(margin, restartTop, rowWidth, buttonHeight);
}

void AntennaView::refresh() {
    const AntennaReading now = ReadModel(m_simulator.modelNow());
    if (now != m_reading) {
        m_reading = now;
        update();
    }
}

void AntennaView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), palette().window());
    const AntennaLayout layout = currentLayout();

    painter.setPen(QColor(kMutedText));
    painter.setFont(ScaledFont(font(), 1.0, true));
    painter.drawText(layout.azimuthCaption, Qt::AlignCenter, QStringLiteral("方位角  Azimuth"));
    painter.drawText(layout.elevationCaption, Qt::AlignCenter, QStringLiteral("仰角  Elevation"));

    paintCompass(painter, layout);
    paintElevation(painter, layout);
    paintReadout(painter, layout.azimuthReadout, Axis::Azimuth);
    paintReadout(painter, layout.elevationReadout, Axis::Elevation);
    paintLamps(painter, layout);
}

void AntennaView::paintCompass(QPainter& painter, const AntennaLayout& layout) const {
    const QPointF centre = layout.compassCentre;
    const double radius = layout.compassRadius;
    if (radius < kSmallestDial) {
        return;
    }
    painter.setPen(QPen(QColor(kRing), 2.0));
    painter.setBrush(QColor(kFace));
    painter.drawEllipse(centre, radius, radius);

    const double tickOuter = radius - 4.0;
    for (int degrees = 0; degrees < 360; degrees += 5) {
        const Tick tick = TickAt(degrees, radius);
        painter.setPen(QPen(QColor(tick.colour), tick.width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(AzimuthNeedleEnd(centre, tickOuter - tick.length, degrees),
                         AzimuthNeedleEnd(centre, tickOuter, degrees));
    }

    const double lettering = LetteringScale(radius);
    const QFont cardinalFont = ScaledFont(font(), 1.25 * lettering, true);
    const QFont degreeFont = ScaledFont(font(), 0.85 * lettering, false);
    const int labelStep = radius < kSmallestNumberedRadius ? 90 : 30;
    for (int degrees = 0; degrees < 360; degrees += labelStep) {
        const bool cardinal = degrees % 90 == 0;
        const QString text = cardinal ? QString(QLatin1Char("NESW"[degrees / 90]))
                                      : platform::FormatInteger(degrees);
        painter.setFont(cardinal ? cardinalFont : degreeFont);
        painter.setPen(QColor(cardinal ? kMajorTick : kMutedText));
        const QPointF at = AzimuthNeedleEnd(centre, radius * (cardinal ? 0.66 : 0.68), degrees);
        painter.drawText(CentredText(at, QFontMetricsF(painter.font()), text), Qt::AlignCenter,
                         text);
    }

    // Never thinner than at the default size, so that a small window still shows the needle.
    const double needleScale = std::max(1.0, lettering);
    PaintNeedle(painter, centre, AzimuthNeedleEnd(centre, radius * 0.8, m_reading.azimuth.angle),
                needleScale);
    PaintHub(painter, centre, needleScale);
}

void AntennaView::paintElevation(QPainter& painter, const AntennaLayout& layout) const {
    const QPointF pivot = layout.arcPivot;
    const double radius = layout.arcRadius;
    if (radius < kSmallestDial) {
        return;
    }
    painter.setPen(QPen(QColor(kRing), 2.0));
    painter.setBrush(QColor(kFace));
    painter.drawPie(QRectF(pivot.x() - radius, pivot.y() - radius, 2 * radius, 2 * radius), 0,
                    90 * 16);

    const double tickOuter = radius - 4.0;
    for (int degrees = 0; degrees <= 90; degrees += 5) {
        const Tick tick = TickAt(degrees % 90 == 0 ? 30 : degrees, radius);
        painter.setPen(QPen(QColor(tick.colour), tick.width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(ElevationNeedleEnd(pivot, tickOuter - tick.length, degrees),
                         ElevationNeedleEnd(pivot, tickOuter, degrees));
    }

    // The quarter circle's radius is the compass's diameter.
    const double lettering = LetteringScale(radius / 2.0);
    painter.setFont(ScaledFont(font(), 0.85 * lettering, false));
    painter.setPen(QColor(kMutedText));
    const QFontMetricsF metrics(painter.font());
    const int labelStep = radius / 2.0 < kSmallestNumberedRadius ? 90 : 30;
    for (int degrees = 0; degrees <= 90; degrees += labelStep) {
        const QString text = platform::FormatInteger(degrees) + QChar(0x00B0);
        QRectF box = CentredText(ElevationNeedleEnd(pivot, radius * 0.76, degrees), metrics, text);
        // The labels at the ends would straddle the dial's straight edges; keep them inside.
        box.moveBottom(std::min(box.bottom(), pivot.y() - 3.0));
        box.moveLeft(std::max(box.left(), pivot.x() + 4.0));
        painter.drawText(box, Qt::AlignCenter, text);
    }

    const double needleScale = std::max(1.0, lettering);
    PaintNeedle(painter, pivot, ElevationNeedleEnd(pivot, radius * 0.84, m_reading.elevation.angle),
                needleScale);
    PaintHub(painter, pivot, needleScale);
}

void AntennaView::paintReadout(QPainter& painter, const QRectF& area, Axis axis) const {
    const QFont angleFont = ScaledFont(font(), 1.7, true);
    const double angleHeight = QFontMetricsF(angleFont).height();
    painter.setFont(angleFont);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(area.left(), area.top(), area.width(), angleHeight), Qt::AlignCenter,
                     angleText(axis));
    painter.setFont(font());
    painter.setPen(QColor(kMutedText));
    painter.drawText(QRectF(area.left(), area.top() + angleHeight, area.width(),
                            std::max(0.0, area.height() - angleHeight)),
                     Qt::AlignHCenter | Qt::AlignTop, electricalText(axis));
}

void AntennaView::paintLamps(QPainter& painter, const AntennaLayout& layout) const {
    const std::array<RelayLamp, 4> lamps = RelayLamps();
    painter.setFont(ScaledFont(font(), 1.0, true));
    for (std::size_t i = 0; i < lamps.size(); ++i) {
        const QRectF& area = layout.lamps[i];
        if (area.isEmpty()) {
            continue;
        }
        const bool lit = lampLit(i);
        const QColor& colour = lamps[i].litColour;
        painter.setPen(QPen(QColor(kLampFrame), 1.0));
        painter.setBrush(lit ? colour.lighter(175) : QColor(kLampPanel));
        painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 5.0, 5.0);

        painter.setPen(QPen(lit ? colour.darker(140) : QColor(kUnlitRim), 1.0));
        painter.setBrush(lit ? colour : QColor(kUnlit));
        painter.drawEllipse(LampLight(area));

        painter.setPen(palette().color(lit ? QPalette::WindowText : QPalette::PlaceholderText));
        painter.drawText(LampLabel(area), Qt::AlignLeft | Qt::AlignVCenter, lamps[i].label);
    }
}

} // namespace zenko::picnic

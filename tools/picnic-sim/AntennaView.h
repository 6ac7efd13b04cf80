#pragma once

#include <array>
#include <cstdint>

#include <QColor>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "picnic-sim/AntennaGeometry.h"
#include "picnic-sim/RotatorModel.h"

class QPainter;
class QPushButton;

namespace zenko::picnic {

class PicnicSimulator;

struct AxisReading {
    double angle = 0.0;
    double volts = 0.0;
    int count = 0;
    bool operator==(const AxisReading&) const = default;
};

// What the view shows: one look at the model.
struct AntennaReading {
    AxisReading azimuth;
    AxisReading elevation;
    std::uint8_t relays = 0;

    const AxisReading& axis(Axis which) const {
        return which == Axis::Azimuth ? azimuth : elevation;
    }
    bool operator==(const AntennaReading&) const = default;
};

AntennaReading ReadModel(const RotatorModel& model);

struct RelayLamp {
    QString label;
    std::uint8_t bit = 0;
    // Green for the relays that increase an angle, amber for those that decrease it.
    QColor litColour;
};

// In the order of AntennaLayout::lamps.
std::array<RelayLamp, 4> RelayLamps();

// A window that shows where the simulated antenna points: a compass for the azimuth, a
// quarter circle for the elevation, the four drive relays as lamps and the numbers beneath.
// It polls the simulator on its own timer; nothing in the simulator knows the view exists.
// Buttons beneath switch each axis's ADC answers off and on and its faults (a jam, swapped
// relays, a frozen reading), and restart the board, so that an operator can show what the
// controller does when a potentiometer input fails or the rotator does not move as driven.
class AntennaView : public QWidget {
    Q_OBJECT
public:
    // 20 Hz: smooth enough for an antenna that turns a few degrees a second.
    static constexpr int kRefreshIntervalMs = 50;

    // The simulator must outlive the view.
    explicit AntennaView(PicnicSimulator& simulator, QWidget* parent = nullptr);

    const AntennaReading& reading() const { return m_reading; }
    // The readouts as drawn: "az 405.3°", "2.925 V · count 599".
    QString angleText(Axis axis) const;
    QString electricalText(Axis axis) const;
    bool lampLit(std::size_t index) const;
    AntennaLayout currentLayout() const;
    // Checked while the axis answers.
    QPushButton* answerButton(Axis axis) const;
    // Checked while the fault is on; in the order of AxisFaults: jam, swapped relays, frozen
    // reading.
    static constexpr std::size_t kFaultKinds = 3;
    QPushButton* faultButton(Axis axis, std::size_t fault) const;
    // Restarts the board for kRestartSeconds; disabled while it restarts.
    static constexpr double kRestartSeconds = 8.0;
    QPushButton* restartButton() const { return m_restartButton; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // Reads the model now and repaints when anything shown has changed.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void paintCompass(QPainter& painter, const AntennaLayout& layout) const;
    void paintElevation(QPainter& painter, const AntennaLayout& layout) const;
    void paintReadout(QPainter& painter, const QRectF& area, Axis axis) const;
    void paintLamps(QPainter& painter, const AntennaLayout& layout) const;
    // The strip beneath the drawing that holds the buttons.
    int buttonStripHeight() const;

    PicnicSimulator& m_simulator;
    AntennaReading m_reading;
    QTimer m_timer;
    // Azimuth, elevation.
    std::array<QPushButton*, 2> m_answerButtons{};
    std::array<std::array<QPushButton*, kFaultKinds>, 2> m_faultButtons{};
    QPushButton* m_restartButton = nullptr;
};

} // namespace zenko::picnic

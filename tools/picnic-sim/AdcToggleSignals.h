#pragma once

#include <QObject>

#include "picnic-sim/RotatorModel.h"

class QSocketNotifier;

namespace zenko::picnic {

// SIGUSR1 (azimuth) and SIGUSR2 (elevation) delivered as a Qt signal in the event loop, so that
// an operator can silence one axis of a running simulator from a shell. The handler only
// writes to a pipe. One instance per process.
class AdcToggleSignals : public QObject {
    Q_OBJECT
public:
    explicit AdcToggleSignals(QObject* parent = nullptr);
    ~AdcToggleSignals() override;
    AdcToggleSignals(const AdcToggleSignals&) = delete;
    AdcToggleSignals& operator=(const AdcToggleSignals&) = delete;

signals:
    void toggleRequested(zenko::picnic::Axis axis);

private:
    void drain();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace zenko::picnic

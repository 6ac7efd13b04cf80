#pragma once

#include <cstdint>

#include <QIcon>
#include <QString>

class QLineEdit;
class QComboBox;
class QCheckBox;

namespace zenko::ui {
class UpDownControl;
}

namespace zenko::core {

// Ids of the window's three timers.
inline constexpr unsigned TIMER_CONTROL = 10;
inline constexpr unsigned TIMER_AZ_PULSE = 100;
inline constexpr unsigned TIMER_EL_PULSE = 200;

// 1 = azimuth, 2 = elevation; wherever both axes are handled in turn, azimuth comes first.
enum AxisId : std::int32_t { AxisAz = 1, AxisEl = 2 };

// The target source held in m_nSelector. The file may hold any other value, which selects
// nothing.
enum SelectorMode : std::int32_t { SelectorPreset1 = 1, SelectorLocal = 2, SelectorRemote = 3 };

// An IPv4 socket address as the link keeps it: address and port in host byte order.
struct Ipv4SocketAddress {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    friend bool operator==(const Ipv4SocketAddress&, const Ipv4SocketAddress&) = default;
};

// The whole memory of the controller. The main window holds it as plain public members (it
// derives from this struct), in this declaration order; every handler reads and writes it on
// the one user-interface thread. Units: degrees, volts, milliseconds, seconds.
struct ControllerState {
    double m_dElVolt = 0;
    double m_dAzVolt = 0;
    bool m_bAdcRequested = false;
    double m_dPreset1El = 0;
    double m_dPreset1Az = 0;
    double m_dRemoteSetEl = 0;
    double m_dRemoteSetAz = 0;
    double m_dElError = 0;
    double m_dAzError = 0;
    double m_dElAngle = 0;
    double m_dAzAngle = 0;
    double m_dCalAzAng1 = 0;
    double m_dCalElAng1 = 0;
    double m_dCalAzAng2 = 0;
    double m_dCalElAng2 = 0;
    Ipv4SocketAddress m_addrBoardBind;
    std::int32_t m_nSelector = 0;
    QString m_strPicnicIp3;
    QString m_strPicnicIp2;
    QString m_strPicnicIp1;
    double m_dElTarget = 0;
    double m_dAzTarget = 0;
    double m_dCalElVolt2 = 0;
    double m_dCalElVolt1 = 0;
    double m_dCalAzVolt2 = 0;
    double m_dCalAzVolt1 = 0;
    Ipv4SocketAddress m_addrRecvBind;
    Ipv4SocketAddress m_addrPicnic;
    std::uint32_t m_dwPicnicIp = 0;
    bool m_bRunning = false;
    QLineEdit* m_editLocalEl = nullptr;
    QLineEdit* m_editLocalAz = nullptr;
    ui::UpDownControl* m_spinLocalEl = nullptr;
    ui::UpDownControl* m_spinLocalAz = nullptr;
    QComboBox* m_comboPicnicIp = nullptr;
    QCheckBox* m_checkElOut = nullptr;
    QCheckBox* m_checkAzOut = nullptr;
    std::uint32_t m_nControlInterval = 0;
    QString m_strPicnicIp;
    std::int32_t m_nLocalSetAz = 0;
    std::int32_t m_nLocalSetEl = 0;
    std::int32_t m_nAzDriveNeg = 0;
    std::int32_t m_nAzDrivePos = 0;
    std::int32_t m_nElDriveNeg = 0;
    std::int32_t m_nElDrivePos = 0;
    std::int16_t m_nBinPort = 0;
    std::int16_t m_nPicnicPort = 0;
    QString m_strAzAngle;
    QString m_strElAngle;
    QString m_strAzError;
    QString m_strElError;
    QString m_strRemoteSetAz = QStringLiteral("0.00");
    QString m_strRemoteSetEl = QStringLiteral("0.00");
    std::int32_t m_nAzOutOn = 0;
    std::int32_t m_nElOutOn = 0;
    QString m_strLocalSet1Text;
    QString m_strLocalSet1Az;
    QString m_strLocalSet1El;
    std::int16_t m_nAscPort = 0;
    QString m_strAzVolt;
    QString m_strElVolt;
    QIcon m_hIcon;
};

} // namespace zenko::core

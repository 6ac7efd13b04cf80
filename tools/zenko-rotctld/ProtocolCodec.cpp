#include "zenko-rotctld/ProtocolCodec.h"

#include <QStringList>

#include "zenko-rotctld/EasycommProtocol.h"
#include "zenko-rotctld/Gs232Protocol.h"
#include "zenko-rotctld/Rot2ProgProtocol.h"
#include "zenko-rotctld/RotctldCodec.h"

namespace zenko::rotctld {

namespace {

constexpr struct {
    Protocol protocol;
    const char* name;
} kNames[] = {
    {Protocol::Rotctld, "rotctld"},   {Protocol::Gs232a, "gs232a"},
    {Protocol::Gs232b, "gs232b"},     {Protocol::Easycomm2, "easycomm2"},
    {Protocol::Rot2Prog, "rot2prog"},
};

} // namespace

const char* ProtocolName(Protocol protocol) {
    for (const auto& entry : kNames) {
        if (entry.protocol == protocol) {
            return entry.name;
        }
    }
    return "";
}

std::optional<Protocol> ProtocolNamed(const QString& name) {
    for (const auto& entry : kNames) {
        if (name == QLatin1String(entry.name)) {
            return entry.protocol;
        }
    }
    return std::nullopt;
}

QString ProtocolNames() {
    QStringList names;
    for (const auto& entry : kNames) {
        names << QLatin1String(entry.name);
    }
    return names.join(QLatin1Char('|'));
}

std::unique_ptr<ProtocolCodec> MakeCodec(Protocol protocol, const Limits& limits) {
    switch (protocol) {
    case Protocol::Rotctld:
        return std::make_unique<RotctldCodec>(limits);
    case Protocol::Gs232a:
        return std::make_unique<Gs232Codec>(Gs232Codec::Model::A, limits);
    case Protocol::Gs232b:
        return std::make_unique<Gs232Codec>(Gs232Codec::Model::B, limits);
    case Protocol::Easycomm2:
        return std::make_unique<EasycommCodec>(limits);
    case Protocol::Rot2Prog:
        return std::make_unique<Rot2ProgCodec>();
    }
    return nullptr;
}

BridgeCommand TowardsLimit(char direction, const Limits& limits) {
    BridgeCommand command;
    command.action = Action::SetPosition;
    switch (direction) {
    case 'L':
        command.azimuth = limits.minAzimuth;
        command.mechanicalAzimuth = true;
        break;
    case 'R':
        command.azimuth = limits.maxAzimuth;
        command.mechanicalAzimuth = true;
        break;
    case 'U':
        command.elevation = limits.maxElevation;
        break;
    default:
        command.elevation = limits.minElevation;
        break;
    }
    return command;
}

} // namespace zenko::rotctld

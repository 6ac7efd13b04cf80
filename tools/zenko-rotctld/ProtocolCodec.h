#pragma once

#include <memory>
#include <optional>

#include <QByteArrayView>
#include <QString>

#include "zenko-rotctld/BridgeCommand.h"

namespace zenko::rotctld {

enum class Protocol { Rotctld, Gs232a, Gs232b, Easycomm2, Rot2Prog };

// The name --protocol takes ("gs232b").
const char* ProtocolName(Protocol protocol);
std::optional<Protocol> ProtocolNamed(const QString& name);
// The names of every protocol, joined by '|', for the help and its refusals.
QString ProtocolNames();

// Turns a client's bytes into commands, one client each: a command may arrive in pieces. Pure, so
// that the tests read each protocol without a transport; docs/gpredict.md gives every protocol's
// commands and replies.
class ProtocolCodec {
public:
    virtual ~ProtocolCodec() = default;
    virtual void append(QByteArrayView bytes) = 0;
    // The next whole command, or nothing until more bytes come. Bytes that make no command are
    // dropped, so that the bytes held stay bounded.
    virtual std::optional<Exchange> next() = 0;
};

// The limits are those of the bridge: the manual-motion commands set them as targets, and
// \dump_state reports them.
std::unique_ptr<ProtocolCodec> MakeCodec(Protocol protocol, const Limits& limits);

// The manual motions of the serial protocols, 'L', 'R', 'U' or 'D': a turn towards that end of
// the axis, there to stop unless stopped. The azimuth's end is a limit of the mechanics.
BridgeCommand TowardsLimit(char direction, const Limits& limits);

} // namespace zenko::rotctld

#pragma once
// Small helpers shared by the two halves of CSocketLink (connection and data).
#include "net/SocketVariant.h"

#include <QString>
#include <cstdint>

namespace corvane {

// "CSocketLink." followed by the procedure name.
QString Src(const char* procedure);
// A dotted IPv4 address in network byte order; false for anything else.
bool ParseDotted(const QString& text, std::uint32_t& address);
QString Dotted(std::uint32_t address);
// Synchronous lookup of the first IPv4 address; 0 or the platform error number.
int ResolveSync(const QString& name, std::uint32_t& address);
// A port argument: numeric (else 40018) within low..65535 (else 40014).
long CheckedPort(const Variant& value, long low, const QString& source);
// Errors after which the connection is gone for good.
bool IsConnectionLoss(int code);

} // namespace corvane

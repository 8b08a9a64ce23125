// What the Windows TLS (Schannel) answers mean for the broker's link: a refusal in words,
// and which negotiated protocols are good enough. Plain numbers, so the rules are tested
// natively; mqtt_link_schannel_win.cpp only asks.
#pragma once

#include "mqtt_outcome.h"

#include <cstdint>
#include <string>

// Why a handshake or the certificate check failed, from its SECURITY_STATUS or the
// certificate policy's error, for the broker `host`.
MqttOutcome TlsRefusal(std::uint32_t code, const std::string& host);

// The protocol of a finished handshake (SP_PROT_* bits): TLS 1.2 or later only.
bool TlsProtocolAcceptable(std::uint32_t protocol);

// The protocols a client turns off (SP_PROT_* bits): everything before TLS 1.2.
std::uint32_t TlsDisabledProtocols();

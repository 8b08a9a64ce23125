// Schannel (through the SSPI table) and the certificate chain functions, loaded on the
// first MQTT link with Tls=1 (see system_library_win.h).
#pragma once

#include <windows.h>
#define SECURITY_WIN32
#include <security.h>
#include <wincrypt.h>

struct SchannelFunctions {
    PSecurityFunctionTableW sspi;
    decltype(&CertGetCertificateChain) GetCertificateChain;
    decltype(&CertVerifyCertificateChainPolicy) VerifyCertificateChainPolicy;
    decltype(&CertFreeCertificateChain) FreeCertificateChain;
    decltype(&CertFreeCertificateContext) FreeCertificateContext;
};

// Null when secur32.dll, crypt32.dll or one of their functions is missing.
const SchannelFunctions* TheSchannel();

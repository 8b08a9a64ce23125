#include "schannel_functions_win.h"

#include "system_library_win.h"

namespace {

bool Load(SchannelFunctions& f)
{
    const HMODULE secur32 = LoadSystemLibrary(L"secur32.dll");
    const HMODULE crypt32 = LoadSystemLibrary(L"crypt32.dll");
    INIT_SECURITY_INTERFACE_W initialize = nullptr;
    if (secur32 == nullptr || crypt32 == nullptr || !FindFunction(secur32, "InitSecurityInterfaceW", initialize)) {
        return false;
    }
    f.sspi = initialize();
    return f.sspi != nullptr && FindFunction(crypt32, "CertGetCertificateChain", f.GetCertificateChain) &&
           FindFunction(crypt32, "CertVerifyCertificateChainPolicy", f.VerifyCertificateChainPolicy) &&
           FindFunction(crypt32, "CertFreeCertificateChain", f.FreeCertificateChain) &&
           FindFunction(crypt32, "CertFreeCertificateContext", f.FreeCertificateContext);
}

}  // namespace

const SchannelFunctions* TheSchannel()
{
    static SchannelFunctions functions{};
    static const bool loaded = Load(functions);
    return loaded ? &functions : nullptr;
}

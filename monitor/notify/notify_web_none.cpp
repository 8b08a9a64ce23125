// The web request of the fully static kelvixd (the test machine's initramfs), which
// cannot link libcurl: commands work, a URL is refused in words.
#include "notify_transport.h"

WebOutcome SendWebRequest(const WebRequest&, CancelToken&)
{
    WebOutcome outcome;
    outcome.error = "this kelvixd is built without web requests (the static build)";
    return outcome;
}

// The yardstick of kelvixd's memory: a bare C++ UDP responder linked the same way (the C++
// library shared), answering the same queries. bench_responder_minimal PORT
#include "udp_responder.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    RunResponder(OpenUdp(static_cast<std::uint16_t>(argc > 1 ? std::atoi(argv[1]) : 0)));
    return 0;
}

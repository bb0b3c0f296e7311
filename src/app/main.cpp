// vamu: start-up and the event loop; Program does the rest.
#include "app/program.h"
#include "net/http_request.h"
#include "platform/application.h"
#include "platform/system.h"
#include "platform/workers.h"

#include <chrono>

int main(int argc, char** argv) {
    const auto application = vamu::platform::createApplication(argc, argv);
    vamu::platform::initialize();
    vamu::net::initializeHttp();  // before the first worker
    int code = 0;
    {
        vamu::app::Program program;
        switch (program.start()) {
        case vamu::app::Program::StartResult::HandedOver:
            return 0;
        case vamu::app::Program::StartResult::Failed:
            return 1;
        case vamu::app::Program::StartResult::Started:
            break;
        }
        code = application->exec();
        program.shutdown();
        // Workers stop at their next check; none may keep the process on the network.
        vamu::platform::joinWorkers(std::chrono::milliseconds(1000));
    }
    vamu::platform::shutdown();
    return code;
}

// The small texts a system answers with: FLAG replies and model.dat (model identification),
// webaccessport.dat and confstatus.xml.
#include "core/catalogue/CSystemInformationArray.h"
#include "core/link/CSystemWebClient.h"
#include "tests/fuzz/FuzzInput.h"

using namespace quillmarch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CSystemInformationArray catalogue = [] {
        CSystemInformationArray built;
        built.Build();
        return built;
    }();
    const std::string text = fuzz::Text(data, size);
    const int type = catalogue.Identify(text);
    fuzz::Require(type >= 0 && type <= CSystemInformationArray::kUnknown);
    const int port = CSystemWebClient::PortFromText(text);
    fuzz::Require(port >= 1 && port <= 65535);
    CSystemWebClient::LineSpeedShowsCall(text);
    CSystemWebClient::NotificationBody(text);
    return 0;
}

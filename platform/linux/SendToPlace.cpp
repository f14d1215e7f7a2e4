#include "platform/linux/SendToPlace.h"

#include <algorithm>
#include <cctype>

namespace ondrel::platform {

namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool placeFor(const std::string& desktop, const std::string& dataHome,
              const std::string& configHome, SendToPlace& place) {
    const std::string name = upper(desktop);
    if (name == "GNOME")
        place = {dataHome + "/nautilus/scripts", "Ondrel"};
    else if (name == "XFCE")
        place = {dataHome + "/Thunar/sendto", "Ondrel.desktop"};
    else if (name == "KDE")
        place = {dataHome + "/kio/servicemenus", "Ondrel.desktop"};
    else if (name == "X-CINNAMON")
        place = {dataHome + "/nemo/scripts", "Ondrel"};
    else if (name == "MATE")
        place = {configHome + "/caja/scripts", "Ondrel"};
    else if (name == "LXQT" || name == "LXDE")
        place = {dataHome + "/file-manager/actions", "Ondrel.desktop"};
    else
        return false;
    return true;
}

} // namespace

SendToPlace sendToPlace(const char* currentDesktop, const std::string& dataHome,
                        const std::string& configHome) {
    SendToPlace place;
    const std::string list = currentDesktop != nullptr ? currentDesktop : "";
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t colon = list.find(':', start);
        if (colon == std::string::npos)
            colon = list.size();
        if (placeFor(list.substr(start, colon - start), dataHome, configHome, place))
            return place;
        start = colon + 1;
    }
    placeFor("GNOME", dataHome, configHome, place);
    return place;
}

} // namespace ondrel::platform

#include "app/Form1.h"
#include "platform/NativeServices.h"

#include <exception>

int main(int argc, char** argv) {
    ondrel::platform::NativeServices native(argc, argv);
    ondrel::Form1 form(native.services(), native.windows(), native.messageBox());
    try {
        form.Form_Load();
    } catch (const std::exception& error) {
        form.endOnError(error);
        return 1;
    }
    form.showCentred();
    return native.windows().run();
}

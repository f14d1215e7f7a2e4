#include "app/Form1.h"
#include "platform/NativeServices.h"
#include "platform/NativeToolkit.h"

#include <exception>

int main(int argc, char** argv) {
    ondrel::platform::NativeServices native(argc, argv);
    ondrel::platform::NativeToolkit toolkit(argc > 0 ? argv[0] : nullptr);
    ondrel::Form1 form(native.services(), toolkit.windows(), toolkit.messageBox());
    try {
        form.Form_Load();
    } catch (const std::exception& error) {
        form.endOnError(error);
        return 1;
    }
    form.showCentred();
    return toolkit.windows().run();
}

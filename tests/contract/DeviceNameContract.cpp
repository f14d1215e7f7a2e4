// Names Windows takes for devices. A song of such a name reaches the
// temporary folder, the Desktop and the card under a substitute, since opening
// the name would open the device: on Windows itself, and on a card written
// here and read there.

#include "platform/PathText.h"
#include "tests/contract/Check.h"

using ondrel::platform::isDeviceName;
using ondrel::platform::withoutDeviceName;

CONTRACT_TEST(device_names_in_any_case_and_with_any_extension) {
    for (const char* name : {"CON",
                             "PRN",
                             "AUX",
                             "NUL",
                             "con.mp4",
                             "Aux.mp4",
                             "nul.MP3",
                             "prn.x",
                             "COM1.mp4",
                             "com9.mp4",
                             "COM0.mp4",
                             "lpt1.m4a",
                             "LPT9",
                             "Lpt0.mp4",
                             "NUL.tar.gz",
                             "aux..mp4",
                             "CON .mp4",
                             "Com1  .mp4",
                             "aux.",
                             "COM\xc2\xb9.mp4",
                             "lpt\xc2\xb2.mp4",
                             "com\xc2\xb3"}) {
        if (!isDeviceName(name))
            contract::reportFailure(__FILE__, __LINE__,
                                    std::string("not taken for a device: ") + name);
    }
    for (const char* name :
         {"", "CONS.mp4", "AUX1.mp4", "COM.mp4", "COM10.mp4", "LPT.mp4", "COMA.mp4", " AUX.mp4",
          "_AUX.mp4", "AUX_.mp4", "con-song.mp4", "song.aux", "my.con.mp4", "COM\xc2\xb4.mp4",
          "COM\xc2\xb9\xc2\xb9", "COM11", "\xc3\x83UX.mp4", "CONIN.mp4"}) {
        if (isDeviceName(name))
            contract::reportFailure(__FILE__, __LINE__, std::string("taken for a device: ") + name);
    }
}

CONTRACT_TEST(a_device_name_gets_an_underscore_before_its_first_dot) {
    CHECK_EQ(withoutDeviceName("Aux.mp4"), std::string("Aux_.mp4"));
    CHECK_EQ(withoutDeviceName("nul.mp4"), std::string("nul_.mp4"));
    CHECK_EQ(withoutDeviceName("COM1.mp4"), std::string("COM1_.mp4"));
    CHECK_EQ(withoutDeviceName("LPT1.mp4"), std::string("LPT1_.mp4"));
    CHECK_EQ(withoutDeviceName("prn.tar.mp4"), std::string("prn_.tar.mp4"));
    CHECK_EQ(withoutDeviceName("CON .mp4"), std::string("CON _.mp4"));
    CHECK_EQ(withoutDeviceName("com\xc2\xb3.mp4"), std::string("com\xc2\xb3_.mp4"));
    CHECK_EQ(withoutDeviceName("AUX"), std::string("AUX_"));
    // Any other name stays, and a substitute is no device any more.
    for (const char* name : {"song.mp4", "Aux_.mp4", "CON _.mp4", "", ".mp4"})
        CHECK_EQ(withoutDeviceName(name), std::string(name));
    for (const char* name : {"Aux.mp4", "CON .mp4", "prn.tar.mp4", "lpt\xc2\xb9.mp4"})
        CHECK(!isDeviceName(withoutDeviceName(name)));
}

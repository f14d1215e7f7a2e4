// The names a song gets on the card: a FAT volume stores names as UTF-16, so
// whatever cannot be carried there has to become a substitute, or the copy
// fails and ends the whole batch.

#include "platform/PathStyle.h"
#include "tests/contract/Check.h"

using ondrel::platform::cardFileName;
using ondrel::platform::localFileName;

CONTRACT_TEST(card_names_replace_what_fat_cannot_store) {
    CHECK_EQ(cardFileName("song.mp4"), std::string("song.mp4"));
    CHECK_EQ(cardFileName("what? a:b|c*d<e>f\"g\\h.mp4"), std::string("what_ a_b_c_d_e_f_g_h.mp4"));
    CHECK_EQ(cardFileName("tab\there.mp4"), std::string("tab_here.mp4"));
}

CONTRACT_TEST(card_names_keep_valid_utf8_and_replace_each_byte_that_is_not) {
    // Two-, three- and four-byte sequences are names FAT can hold.
    CHECK_EQ(cardFileName("caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x8e\xb5.mp4"),
             std::string("caf\xc3\xa9 \xe6\x97\xa5 \xf0\x9f\x8e\xb5.mp4"));
    // A stray byte, a lone continuation byte, a sequence cut short.
    CHECK_EQ(cardFileName("bad\xff.mp4"), std::string("bad_.mp4"));
    CHECK_EQ(cardFileName("\x80x.mp4"), std::string("_x.mp4"));
    CHECK_EQ(cardFileName("cut\xe6\x97.mp4"), std::string("cut__.mp4"));
    CHECK_EQ(cardFileName("end\xc3"), std::string("end_"));
    // Overlong forms, UTF-16 surrogates and code points beyond U+10FFFF have
    // no UTF-16 form either.
    CHECK_EQ(cardFileName("\xc0\xaf.mp4"), std::string("__.mp4"));
    CHECK_EQ(cardFileName("\xe0\x80\xaf.mp4"), std::string("___.mp4"));
    CHECK_EQ(cardFileName("\xed\xa0\x80.mp4"), std::string("___.mp4"));
    CHECK_EQ(cardFileName("\xf4\x90\x80\x80.mp4"), std::string("____.mp4"));
    // Latin-1 text, as an old file manager may have written it.
    CHECK_EQ(cardFileName("Se\xf1or.mp4"), std::string("Se_or.mp4"));
}

CONTRACT_TEST(card_names_take_no_device_name_but_local_names_may) {
    // A card is read on Windows too, where these names open a device.
    CHECK_EQ(cardFileName("Aux.mp4"), std::string("Aux_.mp4"));
    CHECK_EQ(cardFileName("nul.mp4"), std::string("nul_.mp4"));
    CHECK_EQ(cardFileName("COM1.mp4"), std::string("COM1_.mp4"));
    CHECK_EQ(cardFileName("CON.mp4"), std::string("CON_.mp4"));
    CHECK_EQ(cardFileName("LPT1.mp4"), std::string("LPT1_.mp4"));
    // What FAT cannot store goes first: the substitute may leave no device.
    CHECK_EQ(cardFileName("AUX:x.mp4"), std::string("AUX_x.mp4"));
    CHECK_EQ(cardFileName("CON?.mp4"), std::string("CON_.mp4"));
    // Folders of this system store any of them.
    CHECK_EQ(localFileName("Aux.mp4"), std::string("Aux.mp4"));
    CHECK_EQ(localFileName("what? a:b.mp4"), std::string("what? a:b.mp4"));
}

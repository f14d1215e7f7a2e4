// What may go to the card as it is: the check that an ".m4a" really is AAC
// in an MP4 file, on files built box by box.

#include "tests/support/Mp4Samples.h"
#include "transfer/Mp4SoundCheck.h"

#include <QTest>

using namespace ondrel;
namespace mp4 = ondrel::test::mp4;

namespace {

bool passes(const std::string& bytes) {
    return holdsAacInMp4([&bytes](std::uint64_t offset, std::size_t length) {
        return offset >= bytes.size() ? std::string()
                                      : bytes.substr(static_cast<std::size_t>(offset), length);
    });
}

const std::string kSound(5000, 's');

} // namespace

class Mp4SoundCheckTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aacSongsPass();
    void otherSoundIsConverted();
    void whatIsNoWholeMp4IsConverted();
    void onlyWhatTheCheckAsksForIsRead();
};

void Mp4SoundCheckTest::aacSongsPass() {
    QVERIFY(passes(mp4::aacSong(kSound)));
    // HE-AAC and its parametric-stereo form carry an LC core.
    QVERIFY(passes(mp4::file({mp4::aacTrack(5)}, kSound)));
    QVERIFY(passes(mp4::file({mp4::aacTrack(29)}, kSound)));
    // MPEG-2 AAC LC, as some encoders label it.
    QVERIFY(passes(
        mp4::file({mp4::track("soun", {mp4::soundEntry("mp4a", mp4::esds(0x67, 0))})}, kSound)));
    // The movie after the sound, descriptor lengths in four bytes, QuickTime's
    // longer sound entry with the description inside "wave".
    QVERIFY(passes(mp4::file({mp4::aacTrack()}, kSound, true)));
    QVERIFY(passes(mp4::file(
        {mp4::track("soun", {mp4::soundEntry("mp4a", mp4::esds(0x40, 2, true))})}, kSound)));
    QVERIFY(passes(mp4::file(
        {mp4::track("soun", {mp4::soundEntry("mp4a", mp4::box("wave", mp4::esds(0x40, 2)), 1)})},
        kSound)));
    // A chapter track beside the song is no reason to convert it.
    QVERIFY(passes(mp4::file({mp4::aacTrack(), mp4::track("text", {})}, kSound)));
    // The sound's box sized to the end of the file, or in 64 bits.
    std::string toTheEnd = mp4::aacSong(kSound);
    toTheEnd.replace(toTheEnd.size() - kSound.size() - 8, 4, std::string(4, '\0'));
    QVERIFY(passes(toTheEnd));
    const std::string head = mp4::file({mp4::aacTrack()}, "");
    const std::string wide = head.substr(0, head.size() - 8) + mp4::bigEndian(1, 4) + "mdat" +
                             mp4::bigEndian(16 + kSound.size(), 8) + kSound;
    QVERIFY(passes(wide));
    // A 64-bit size of 0 is no "to the end of the file".
    const std::string zero = head.substr(0, head.size() - 8) + mp4::bigEndian(1, 4) + "mdat" +
                             mp4::bigEndian(0, 8) + kSound;
    QVERIFY(!passes(zero));
}

void Mp4SoundCheckTest::otherSoundIsConverted() {
    QVERIFY(!passes(mp4::alacSong(kSound)));
    // MP3 in an MP4 file, AAC Main, and a protected song.
    QVERIFY(!passes(
        mp4::file({mp4::track("soun", {mp4::soundEntry("mp4a", mp4::esds(0x6B, 0))})}, kSound)));
    QVERIFY(!passes(mp4::file({mp4::aacTrack(1)}, kSound)));
    QVERIFY(!passes(
        mp4::file({mp4::track("soun", {mp4::soundEntry("enca", mp4::esds(0x40, 2))})}, kSound)));
    // One track of AAC and one of something else.
    QVERIFY(!passes(
        mp4::file({mp4::aacTrack(), mp4::track("soun", {mp4::soundEntry("alac", "")})}, kSound)));
    // A film renamed to ".m4a": its picture would go to the card as well.
    QVERIFY(!passes(mp4::file({mp4::aacTrack(), mp4::track("vide", {})}, kSound)));
    // No sound at all.
    QVERIFY(!passes(mp4::file({}, kSound)));
    QVERIFY(!passes(mp4::file({mp4::track("text", {})}, kSound)));
}

void Mp4SoundCheckTest::whatIsNoWholeMp4IsConverted() {
    QVERIFY(!passes(""));
    QVERIFY(!passes("just some text, named song.m4a\n"));
    QVERIFY(!passes(std::string(4096, '\0')));
    // No file type first; no movie; two movies.
    const std::string song = mp4::aacSong(kSound);
    const std::size_t moovAt = song.find("moov") - 4;
    const std::string ftyp = song.substr(0, moovAt);
    const std::string rest = song.substr(moovAt);
    QVERIFY(!passes(rest));
    QVERIFY(!passes(ftyp + mp4::box("mdat", kSound)));
    const std::string moov = rest.substr(0, rest.size() - kSound.size() - 8);
    QVERIFY(!passes(ftyp + moov + moov + mp4::box("mdat", kSound)));
    // Cut short, inside the sound or inside the movie.
    QVERIFY(!passes(song.substr(0, song.size() - 1)));
    QVERIFY(!passes(song.substr(0, moovAt + moov.size() / 2)));
    // Boxes that claim less than their own header, or more than they hold.
    std::string tiny = song;
    tiny.replace(moovAt, 4, mp4::bigEndian(4, 4));
    QVERIFY(!passes(tiny));
    std::string swollen = song;
    swollen.replace(moovAt + 8 + 108, 4, mp4::bigEndian(0x7fffffff, 4));
    QVERIFY(!passes(swollen));
    // A sample description that counts more entries than it holds.
    const std::string counted = mp4::track("soun", {mp4::soundEntry("mp4a", mp4::esds(0x40, 2))});
    std::string miscounted = counted;
    const std::size_t stsd = miscounted.find("stsd");
    miscounted.replace(stsd + 8, 4, mp4::bigEndian(2, 4));
    QVERIFY(!passes(mp4::file({miscounted}, kSound)));
}

void Mp4SoundCheckTest::onlyWhatTheCheckAsksForIsRead() {
    // A movie header larger than any song's is refused unread.
    const std::string song = mp4::aacSong(kSound);
    std::string huge =
        song.substr(0, song.find("moov") - 4) + mp4::bigEndian(std::uint64_t{1} << 30, 4) + "moov";
    std::size_t asked = 0;
    const bool passed = holdsAacInMp4([&](std::uint64_t offset, std::size_t length) {
        asked = std::max(asked, length);
        return offset >= huge.size() ? std::string()
                                     : huge.substr(static_cast<std::size_t>(offset), length);
    });
    QVERIFY(!passed);
    QVERIFY(asked <= 16);
}

QTEST_APPLESS_MAIN(Mp4SoundCheckTest)
#include "test_mp4_sound_check.moc"

// What the windows rely on of the window toolkit, the same on every toolkit:
// controls with their captions, names and design positions, text, check and
// option states, clicks, enabling, close requests and the event pump.

#include "tests/contract/Check.h"
#include "tests/window/Toolkit.h"

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace ondrel::platform;

namespace {

WindowDesign design(const char* name, int widthTwips, int heightTwips) {
    WindowDesign result;
    result.objectName = name;
    result.caption = std::string("Caption of ") + name;
    result.clientWidthTwips = widthTwips;
    result.clientHeightTwips = heightTwips;
    return result;
}

std::unique_ptr<Window> makeWindow(int widthTwips = 6690, int heightTwips = 6090) {
    return windowtest::windowSystem().createWindow(design("FormT", widthTwips, heightTwips));
}

int pixels(int twips, int dpi) {
    return (twips * dpi + 720) / 1440;
}

PixelRect expected(const Twips& at, int dpi) {
    return PixelRect{pixels(at.left, dpi), pixels(at.top, dpi), pixels(at.width, dpi),
                     pixels(at.height, dpi)};
}

void checkRect(const PixelRect& actual, const PixelRect& wanted, const char* what) {
    if (actual.left != wanted.left || actual.top != wanted.top || actual.width != wanted.width ||
        actual.height != wanted.height) {
        contract::reportFailure(
            __FILE__, __LINE__,
            std::string(what) + ": got " + std::to_string(actual.left) + "," +
                std::to_string(actual.top) + " " + std::to_string(actual.width) + "x" +
                std::to_string(actual.height) + ", expected " + std::to_string(wanted.left) + "," +
                std::to_string(wanted.top) + " " + std::to_string(wanted.width) + "x" +
                std::to_string(wanted.height));
    }
}

// A text with two-byte, three-byte and four-byte UTF-8 (the last one a
// surrogate pair in UTF-16), and an ampersand that must stay a character.
const std::string kWorldly = "Caf\xC3\xA9 & \xE6\x97\xA5\xE6\x9C\xAC \xE2\x99\xAB \xF0\x9F\x8E\xB5";

} // namespace

CONTRACT_TEST(window_client_areas_follow_the_design_at_the_toolkit_dpi) {
    struct Size {
        int width;
        int height;
        int pixelWidth96;
        int pixelHeight96;
    };
    // The three windows of the program.
    for (const Size size :
         {Size{6690, 6090, 446, 406}, Size{4680, 3585, 312, 239}, Size{8430, 3315, 562, 221}}) {
        auto window = makeWindow(size.width, size.height);
        const int dpi = windowtest::layoutDpi(*window);
        const PixelSize client = window->clientSize();
        CHECK_EQ(client.width, pixels(size.width, dpi));
        CHECK_EQ(client.height, pixels(size.height, dpi));
        if (dpi == 96) {
            CHECK_EQ(client.width, size.pixelWidth96);
            CHECK_EQ(client.height, size.pixelHeight96);
        }
        window->show();
        windowtest::windowSystem().processEvents();
        const PixelSize shown = window->clientSize();
        CHECK_EQ(shown.width, client.width);
        CHECK_EQ(shown.height, client.height);
        CHECK_EQ(window->objectName(), std::string("FormT"));
        CHECK_EQ(window->caption(), std::string("Caption of FormT"));
    }
}

// A run asked to prove another DPI (Wine's LogPixels) must really get it.
CONTRACT_TEST(window_runs_at_the_dpi_the_run_asks_for) {
    const char* wanted = std::getenv("ONDREL_TEST_EXPECT_DPI");
    if (wanted == nullptr || *wanted == '\0')
        contract::skip("ONDREL_TEST_EXPECT_DPI is not set");
    auto window = makeWindow();
    CHECK_EQ(windowtest::layoutDpi(*window), std::atoi(wanted));
}

CONTRACT_TEST(controls_keep_their_names_captions_and_design_positions) {
    auto window = makeWindow();
    const int dpi = windowtest::layoutDpi(*window);
    const Twips frameAt{120, 120, 6375, 2175};
    const Twips logAt{120, 360, 6135, 1695};
    const Twips labelAt{120, 2280, 6375, 1095};
    const Twips checkAt{240, 3480, 6135, 720};
    const Twips optionAt{360, 480, 1455, 375};
    const Twips buttonAt{120, 5040, 1935, 855};

    Frame& frame = window->addFrame("Frame1", "File to transfer", frameAt);
    Label& inner = window->addLabel("Label1", "", logAt, &frame, false);
    LogBox& log = window->addLogBox("Text1", "Text1", logAt, &frame);
    Label& label = window->addLabel("Label2", "status", labelAt, nullptr, true);
    CheckBox& check = window->addCheckBox("Check1", "Do not transfer to DS", checkAt, nullptr);
    OptionButton& option = window->addOptionButton("Option1", "Yes", optionAt, &frame);
    Button& button = window->addButton("Command1", "START!", buttonAt, nullptr);

    CHECK_EQ(frame.text(), std::string("File to transfer"));
    CHECK_EQ(log.text(), std::string("Text1"));
    CHECK_EQ(label.text(), std::string("status"));
    CHECK_EQ(inner.text(), std::string(""));
    CHECK_EQ(check.text(), std::string("Do not transfer to DS"));
    CHECK_EQ(option.text(), std::string("Yes"));
    CHECK_EQ(button.text(), std::string("START!"));

    CHECK(window->findControl("Frame1") == &frame);
    CHECK(window->findControl("Label1") == &inner);
    CHECK(window->findControl("Text1") == &log);
    CHECK(window->findControl("Label2") == &label);
    CHECK(window->findControl("Check1") == &check);
    CHECK(window->findControl("Option1") == &option);
    CHECK(window->findControl("Command1") == &button);
    CHECK(window->findControl("Command9") == nullptr);
    CHECK_EQ(button.objectName(), std::string("Command1"));
    CHECK_EQ(log.objectName(), std::string("Text1"));

    window->show();
    windowtest::windowSystem().processEvents();
    // Relative to the container: a control in the frame is placed from the
    // frame's corner, not the window's.
    checkRect(frame.geometry(), expected(frameAt, dpi), "Frame1");
    checkRect(log.geometry(), expected(logAt, dpi), "Text1 in Frame1");
    checkRect(inner.geometry(), expected(logAt, dpi), "Label1 in Frame1");
    checkRect(label.geometry(), expected(labelAt, dpi), "Label2");
    checkRect(check.geometry(), expected(checkAt, dpi), "Check1");
    checkRect(option.geometry(), expected(optionAt, dpi), "Option1 in Frame1");
    checkRect(button.geometry(), expected(buttonAt, dpi), "Command1");
    if (dpi == 96) {
        checkRect(log.geometry(), PixelRect{8, 24, 409, 113}, "Text1 at 96 dpi");
        checkRect(button.geometry(), PixelRect{8, 336, 129, 57}, "Command1 at 96 dpi");
    }
}

CONTRACT_TEST(texts_round_trip_as_utf8) {
    auto window = makeWindow();
    Frame& frame = window->addFrame("Frame1", kWorldly, Twips{120, 120, 6375, 2175});
    Label& label = window->addLabel("Label2", "", Twips{120, 360, 6135, 615}, &frame, false);
    Button& button = window->addButton("Command1", "START!", Twips{120, 5040, 1935, 855}, nullptr);
    CheckBox& check = window->addCheckBox("Check1", "x", Twips{240, 3480, 6135, 720}, nullptr);
    LogBox& log = window->addLogBox("Text1", "", Twips{120, 2400, 6135, 1695}, nullptr);

    CHECK_EQ(frame.text(), kWorldly);
    label.setText(kWorldly);
    CHECK_EQ(label.text(), kWorldly);
    button.setText("FINISH");
    CHECK_EQ(button.text(), std::string("FINISH"));
    button.setText(kWorldly);
    CHECK_EQ(button.text(), kWorldly);
    check.setText(kWorldly);
    CHECK_EQ(check.text(), kWorldly);
    label.setText("");
    CHECK_EQ(label.text(), std::string(""));

    const std::string lines = "First line\r\n" + kWorldly + "\r\n\r\nlast";
    log.setText(lines);
    CHECK_EQ(log.text(), lines);
    // UTF-16 code units of the CR LF text: "First line" 10, CR LF 2, the
    // worldly text 14 (its last character is two units), two CR LF, "last".
    CHECK_EQ(log.textLength(), std::size_t(10 + 2 + 14 + 4 + 4));
}

CONTRACT_TEST(log_appends_keep_what_stands_before_and_the_caret_goes_to_the_end) {
    auto window = makeWindow();
    LogBox& log = window->addLogBox("Text1", "Text1", Twips{120, 360, 6135, 1695}, nullptr);
    window->show();
    log.setText("song.mp3\r\n**Number of file(s): 1");
    log.setSelectionStart(log.textLength());
    CHECK_EQ(log.selectionStart(), log.textLength());

    log.append("\r\nNo. 1: " + kWorldly + "...");
    log.setSelectionStart(log.textLength());
    log.append(" SUCCESS");
    log.setSelectionStart(log.textLength());
    const std::string whole =
        "song.mp3\r\n**Number of file(s): 1\r\nNo. 1: " + kWorldly + "... SUCCESS";
    CHECK_EQ(log.text(), whole);
    CHECK_EQ(log.selectionStart(), log.textLength());
    CHECK_EQ(log.textLength(), std::size_t(8 + 2 + 22 + 2 + 7 + 14 + 3 + 8));

    // A caret the user put elsewhere is not moved by an append.
    log.setSelectionStart(3);
    log.append("\r\n**Finished**");
    CHECK_EQ(log.selectionStart(), std::size_t(3));
    CHECK_EQ(log.text(), whole + "\r\n**Finished**");

    // Past the end means the end.
    log.setSelectionStart(log.textLength() + 100);
    CHECK_EQ(log.selectionStart(), log.textLength());
}

// A full drop lists thousands of files: far more than a text box holds by
// default on some toolkits.
CONTRACT_TEST(log_holds_a_long_listing) {
    auto window = makeWindow();
    LogBox& log = window->addLogBox("Text1", "", Twips{120, 360, 6135, 1695}, nullptr);
    std::string listing;
    for (int i = 0; i < 5000; ++i)
        listing += "C:\\Music\\Album\\track " + std::to_string(i) + ".mp3\r\n";
    log.setText(listing);
    CHECK_EQ(log.textLength(), listing.size());
    log.append("**Number of file(s): 5000");
    CHECK_EQ(log.text(), listing + "**Number of file(s): 5000");
    log.setSelectionStart(log.textLength());
    CHECK_EQ(log.selectionStart(), log.textLength());
}

CONTRACT_TEST(check_boxes_keep_their_state_and_click_only_while_enabled) {
    auto window = makeWindow();
    CheckBox& check =
        window->addCheckBox("Check2", "KDH mode.", Twips{240, 4200, 6255, 615}, nullptr);
    check.setToolTip("Please check if you use Windows Media Player.");
    CHECK(!check.isChecked());
    check.setChecked(true);
    CHECK(check.isChecked());
    check.click();
    CHECK(!check.isChecked());
    check.click();
    CHECK(check.isChecked());

    check.setEnabled(false);
    CHECK(!check.isEnabled());
    check.click();
    CHECK(check.isChecked());
    check.setEnabled(true);
    CHECK(check.isEnabled());

    window->setEnabled(false);
    check.click();
    CHECK(check.isChecked());
    window->setEnabled(true);
    check.click();
    CHECK(!check.isChecked());
}

CONTRACT_TEST(option_buttons_exclude_each_other_within_their_container) {
    auto window = makeWindow(4680, 3585);
    Frame& frame1 = window->addFrame("Frame1", "Create a shortcut to the Desktop?",
                                     Twips{240, 240, 4215, 1095});
    OptionButton& yes =
        window->addOptionButton("Option1", "Yes", Twips{360, 480, 1455, 375}, &frame1);
    OptionButton& no =
        window->addOptionButton("Option2", "No", Twips{2160, 480, 1935, 375}, &frame1);
    Frame& frame2 =
        window->addFrame("Frame2", "Right click a file and send to", Twips{240, 1560, 4215, 1095});
    OptionButton& enabled =
        window->addOptionButton("Option3", "enabled", Twips{360, 360, 1215, 495}, &frame2);
    OptionButton& disabled =
        window->addOptionButton("Option4", "disabled", Twips{2160, 360, 1335, 495}, &frame2);
    window->show();

    yes.setChecked(true);
    disabled.setChecked(true);
    CHECK(yes.isChecked());
    CHECK(!no.isChecked());
    CHECK(disabled.isChecked());
    CHECK(!enabled.isChecked());

    // Checking one clears the other of its frame, and only that one.
    no.setChecked(true);
    CHECK(no.isChecked());
    CHECK(!yes.isChecked());
    CHECK(disabled.isChecked());

    yes.click();
    CHECK(yes.isChecked());
    CHECK(!no.isChecked());
    CHECK(disabled.isChecked());

    enabled.click();
    CHECK(enabled.isChecked());
    CHECK(!disabled.isChecked());
    CHECK(yes.isChecked());

    // A disabled option, or one in a disabled window, takes no click.
    disabled.setEnabled(false);
    disabled.click();
    CHECK(enabled.isChecked());
    CHECK(!disabled.isChecked());
    disabled.setEnabled(true);
    window->setEnabled(false);
    no.click();
    CHECK(yes.isChecked());
    window->setEnabled(true);

    // Clearing the selected one leaves the pair without a selection.
    yes.setChecked(false);
    CHECK(!yes.isChecked());
    CHECK(!no.isChecked());
}

CONTRACT_TEST(buttons_run_their_handler_only_while_they_and_their_window_are_enabled) {
    auto window = makeWindow();
    Button& button = window->addButton("Command1", "START!", Twips{120, 5040, 1935, 855}, nullptr);
    int clicks = 0;
    button.click();
    CHECK_EQ(clicks, 0);
    button.onClick([&clicks] { ++clicks; });
    window->show();
    button.click();
    CHECK_EQ(clicks, 1);

    button.setEnabled(false);
    CHECK(!button.isEnabled());
    button.click();
    CHECK_EQ(clicks, 1);
    button.setEnabled(true);

    window->setEnabled(false);
    CHECK(!window->isEnabled());
    // The control keeps its own state while its window is disabled.
    CHECK(button.isEnabled());
    button.click();
    CHECK_EQ(clicks, 1);
    window->setEnabled(true);
    CHECK(window->isEnabled());
    button.click();
    CHECK_EQ(clicks, 2);
}

CONTRACT_TEST(a_handler_may_change_its_own_button_and_close_its_window) {
    auto window = makeWindow(8430, 3315);
    Button& close = window->addButton("Command1", "Close", Twips{3240, 2640, 1695, 495}, nullptr);
    int closeRequests = 0;
    window->onCloseRequest([&closeRequests] {
        ++closeRequests;
        return true;
    });
    close.onClick([&] {
        close.setText("Closing");
        close.setEnabled(false);
        window->close();
    });
    window->show();
    windowtest::windowSystem().processEvents();
    CHECK(window->isVisible());
    close.click();
    CHECK_EQ(closeRequests, 1);
    CHECK(!window->isVisible());
    CHECK_EQ(close.text(), std::string("Closing"));
    CHECK(!close.isEnabled());
}

CONTRACT_TEST(a_failure_escaping_a_handler_takes_the_programs_road) {
    WindowSystem& windows = windowtest::windowSystem();
    std::vector<std::string> failures;
    windows.onUncaughtFailure(
        [&failures](const std::exception& error) { failures.push_back(error.what()); });

    auto window = makeWindow();
    Button& button = window->addButton("Command1", "START!", Twips{120, 5040, 1935, 855}, nullptr);
    int clicks = 0;
    button.onClick([&clicks] {
        ++clicks;
        throw std::runtime_error("the card was pulled out");
    });
    bool refuse = true;
    window->onCloseRequest([&refuse]() -> bool {
        if (refuse)
            throw std::runtime_error("the settings file cannot be saved");
        return false;
    });
    window->show();

    // Pressed by the program and by the window system alike, the handler's
    // failure reaches the road, and the toolkit goes on.
    button.click();
    CHECK_EQ(clicks, 1);
    CHECK_EQ(failures.size(), std::size_t(1));
    windowtest::postCloseRequest(*window);
    windows.processEvents();
    CHECK_EQ(failures.size(), std::size_t(2));
    if (failures.size() == 2) {
        CHECK_EQ(failures[0], std::string("the card was pulled out"));
        CHECK_EQ(failures[1], std::string("the settings file cannot be saved"));
    }
    // After a failed close handler the window closes: the program is over.
    CHECK(!window->isVisible());
    button.setText("still answers");
    CHECK_EQ(button.text(), std::string("still answers"));

    windows.onUncaughtFailure({});
}

CONTRACT_TEST(close_requests_reach_the_handler_which_decides) {
    auto window = makeWindow();
    window->show();
    CHECK(window->isVisible());

    bool allow = false;
    int requests = 0;
    window->onCloseRequest([&] {
        ++requests;
        return allow;
    });
    window->close();
    CHECK_EQ(requests, 1);
    CHECK(window->isVisible());

    // Disabled, as while About or Setting is open: the request still comes.
    window->setEnabled(false);
    window->close();
    CHECK_EQ(requests, 2);
    CHECK(window->isVisible());
    window->setEnabled(true);

    allow = true;
    window->close();
    CHECK_EQ(requests, 3);
    CHECK(!window->isVisible());

    // A hidden window can be shown again, and one without a handler closes.
    auto plain = makeWindow();
    plain->show();
    CHECK(plain->isVisible());
    plain->close();
    CHECK(!plain->isVisible());
    plain->show();
    CHECK(plain->isVisible());
    plain->hide();
    CHECK(!plain->isVisible());
}

CONTRACT_TEST(the_event_pump_runs_what_is_pending_and_returns) {
    auto window = makeWindow();
    Label& label = window->addLabel("Label2", "", Twips{120, 360, 6135, 615}, nullptr, false);
    int requests = 0;
    bool allow = false;
    window->onCloseRequest([&] {
        ++requests;
        return allow;
    });
    window->showCentred();
    label.setText("Converting the music file for DS...");
    window->repaintNow();
    label.repaintNow();
    windowtest::windowSystem().processEvents();
    windowtest::windowSystem().processEvents();
    CHECK_EQ(requests, 0);

    // A close request of the window system waits for the pump, and a refused
    // one leaves the window up.
    windowtest::postCloseRequest(*window);
    CHECK_EQ(requests, 0);
    windowtest::windowSystem().processEvents();
    CHECK_EQ(requests, 1);
    CHECK(window->isVisible());

    allow = true;
    windowtest::postCloseRequest(*window);
    windowtest::windowSystem().processEvents();
    CHECK_EQ(requests, 2);
    CHECK(!window->isVisible());
    // Nothing pending: it returns at once.
    windowtest::windowSystem().processEvents();
}

CONTRACT_TEST(a_disabled_window_refusing_its_close_box_stays) {
    auto window = makeWindow();
    Button& button = window->addButton("Command1", "START!", Twips{120, 5040, 1935, 855}, nullptr);
    int clicks = 0;
    button.onClick([&clicks] { ++clicks; });
    int requests = 0;
    // As the main window does while About or Setting is open.
    window->onCloseRequest([&] {
        ++requests;
        return window->isEnabled();
    });
    window->show();
    window->setEnabled(false);
    windowtest::postCloseRequest(*window);
    windowtest::windowSystem().processEvents();
    CHECK_EQ(requests, 1);
    CHECK(window->isVisible());
    button.click();
    CHECK_EQ(clicks, 0);
    window->setEnabled(true);
    windowtest::postCloseRequest(*window);
    windowtest::windowSystem().processEvents();
    CHECK_EQ(requests, 2);
    CHECK(!window->isVisible());
}

CONTRACT_TEST(the_focus_control_is_the_one_set_before_and_after_showing) {
    auto window = makeWindow(8430, 3315);
    window->addLabel("Label1", "Version 3.1.1", Twips{120, 0, 8175, 2655}, nullptr, true);
    Button& close = window->addButton("Command1", "Close", Twips{3240, 2640, 1695, 495}, nullptr);
    Button& other = window->addButton("Command2", "Other", Twips{120, 2640, 1695, 495}, nullptr);
    close.setFocus();
    window->show();
    windowtest::windowSystem().processEvents();
    CHECK(close.hasFocus());
    CHECK(!other.hasFocus());
    other.setFocus();
    windowtest::windowSystem().processEvents();
    CHECK(other.hasFocus());
    CHECK(!close.hasFocus());
}

// The shipped app-defaults file (data/app-defaults/Lunaclock), found by the
// toolkit as an installed one is: the real program starts with it in-process
// on a private X server. Every resource of the file converts without a
// toolkit warning, the labels draw with the Xft render table in DejaVu Sans
// Mono (monospaced, so the space-padded captions line up), and the Test
// toggle is a check box.
#include <gtest/gtest.h>

#include <Xm/Label.h>
#include <Xm/ToggleB.h>
#include <Xm/Xm.h>
#include <X11/Xft/Xft.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "e2e.h"
#include "xvfb.h"

using namespace std::chrono_literals;

namespace {

// Standard error goes to a file while it lives; the toolkit writes its
// warnings there.
class captured_stderr {
public:
    explicit captured_stderr(const std::filesystem::path& file) : file_(file)
    {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    ~captured_stderr() { restore(); }
    captured_stderr(const captured_stderr&) = delete;
    captured_stderr& operator=(const captured_stderr&) = delete;

    std::string text()
    {
        restore();
        return file_text(file_);
    }

private:
    void restore()
    {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, STDERR_FILENO);
            close(saved_);
            saved_ = -1;
        }
    }
    std::filesystem::path file_;
    int saved_ = -1;
};

// What the labels of one rendition draw with.
struct rendition_font {
    int type = -1;
    std::string name;
    std::string family;  // of the Xft font that was opened
    int spacing = -1;
};

rendition_font font_of(Widget label)
{
    rendition_font f;
    // The label's own table, not a copy: not to be freed here.
    XmRenderTable table = nullptr;
    XtVaGetValues(label, XmNrenderTable, &table, nullptr);
    if (table == nullptr) {
        return f;
    }
    XmStringTag* tags = nullptr;
    const int ntags = XmRenderTableGetTags(table, &tags);
    if (ntags > 0) {
        // Copies, freed below; the labels draw with the first.
        XmRendition* renditions = XmRenderTableGetRenditions(table, tags, static_cast<Cardinal>(ntags));
        char* name = nullptr;
        XmFontType type = XmFONT_IS_FONT;
        XftFont* xft = nullptr;
        Arg args[3];
        XtSetArg(args[0], XmNfontName, &name);
        XtSetArg(args[1], XmNfontType, &type);
        XtSetArg(args[2], XmNxftFont, &xft);
        XmRenditionRetrieve(renditions[0], args, 3);
        f.type = type;
        f.name = name != nullptr && name != reinterpret_cast<char*>(XmAS_IS) ? name : "";
        if (xft != nullptr) {
            FcChar8* family = nullptr;
            if (FcPatternGetString(xft->pattern, FC_FAMILY, 0, &family) == FcResultMatch) {
                f.family = reinterpret_cast<const char*>(family);
            }
            FcPatternGetInteger(xft->pattern, FC_SPACING, 0, &f.spacing);
        }
        for (int i = 0; i < ntags; ++i) {
            XmRenditionFree(renditions[i]);
            XtFree(tags[i]);
        }
        XtFree(reinterpret_cast<char*>(renditions));
        XtFree(reinterpret_cast<char*>(tags));
    }
    return f;
}

class ShippedAppDefaults : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* source = std::getenv("LUNACLOCK_SOURCE_DIR");
        ASSERT_NE(source, nullptr) << "LUNACLOCK_SOURCE_DIR is not set";
        // As `make run` does: the system search path leads to the source tree.
        setenv("XFILESEARCHPATH", (std::string(source) + "/data/%T/%N").c_str(), 1);
        server_ = std::make_unique<private_xvfb>();
        dir_ = std::make_unique<temp_dir>();
        captured_stderr err(dir_->path() / "stderr");
        start_program(server_->display_name());
        // Draw everything once: a font that Motif loads only when it draws
        // is converted here.
        dispatch_for(500ms);
        XSync(program_display(), False);
        warnings_ = err.text();
    }
    static void TearDownTestSuite()
    {
        server_.reset();
        dir_.reset();
    }

    static std::unique_ptr<private_xvfb> server_;
    static std::unique_ptr<temp_dir> dir_;
    static std::string warnings_;
};

std::unique_ptr<private_xvfb> ShippedAppDefaults::server_;
std::unique_ptr<temp_dir> ShippedAppDefaults::dir_;
std::string ShippedAppDefaults::warnings_;

TEST_F(ShippedAppDefaults, ConvertsWithoutAWarning)
{
    // Each bad line warns once per widget: the start is enough to read.
    EXPECT_TRUE(warnings_.empty()) << warnings_.substr(0, 800);
}

TEST_F(ShippedAppDefaults, LabelsDrawInDejaVuSansMonoThroughXft)
{
    std::vector<Widget> labels;
    for (const char* group : {"*txt1_rc", "*txt2_rc", "*txt3_rc", "*txt4_rc"}) {
        for (Widget cell : children_of(XtNameToWidget(app_state.toplevel, group))) {
            for (Widget label : children_of(cell)) {
                labels.push_back(label);
            }
        }
    }
    labels.push_back(XtNameToWidget(app_state.toplevel, "*test"));
    ASSERT_GT(labels.size(), 17U);
    for (Widget label : labels) {
        SCOPED_TRACE(XtName(label));
        const rendition_font f = font_of(label);
        EXPECT_EQ(f.type, XmFONT_IS_XFT);
        EXPECT_EQ(f.name, "DejaVu Sans Mono");
        // The face that was opened, not a substitute.
        EXPECT_EQ(f.family, "DejaVu Sans Mono");
        EXPECT_EQ(f.spacing, FC_MONO);
    }
}

TEST_F(ShippedAppDefaults, TestToggleIsACheckBox)
{
    unsigned char indicator = 0;
    XtVaGetValues(XtNameToWidget(app_state.toplevel, "*test"), XmNindicatorOn, &indicator, nullptr);
    EXPECT_EQ(indicator, XmINDICATOR_CHECK_BOX);
}

// The built program as a user starts it, with the file found through the
// search path: nothing on its standard output or error once it has drawn
// its window and set its icon name.
TEST(ShippedAppDefaultsInTheBinary, StartsWithoutAWord)
{
    const char* binary = std::getenv("LUNACLOCK_BINARY");
    const char* source = std::getenv("LUNACLOCK_SOURCE_DIR");
    ASSERT_NE(binary, nullptr) << "LUNACLOCK_BINARY is not set";
    ASSERT_NE(source, nullptr) << "LUNACLOCK_SOURCE_DIR is not set";
    private_xvfb server;
    const x_connection x(server.display_name());
    const temp_dir dir;
    const std::filesystem::path log = dir.path() / "program.log";
    child_process program({{binary},
                           {"DISPLAY=" + server.display_name(), "XFILESEARCHPATH=" + std::string(source) + "/data/%T/%N"},
                           log.string(),
                           std::nullopt});
    ASSERT_TRUE(wait_until(x, [&] {
        const std::optional<Window> w = find_window_by_name(x, "Lunaclock   by Orvane   v3.0.3");
        return (w && !wm_icon_name(x, *w).value_or("").empty()) || !program.running();
    }));
    ASSERT_TRUE(program.running());
    EXPECT_EQ(file_text(log), "");
}

}  // namespace

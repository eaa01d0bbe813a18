// The widget tree of the main window: names, classes, parents, the order of
// children, the captions, the value_widgets slots, the toggle's state from
// -t, the canvas geometry, and that resources addressed by widget name reach
// the right widget. Each fixture starts the real program once on its own
// private X server.
#include <gtest/gtest.h>

#include <Xm/DrawingA.h>
#include <Xm/Frame.h>
#include <Xm/Label.h>
#include <Xm/RowColumn.h>
#include <Xm/ToggleB.h>
#include <Xm/Xm.h>
#include <X11/IntrinsicP.h>  // class_name, for messages

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app_harness.h"
#include "app_state.h"
#include "xvfb.h"

namespace {

std::vector<std::string> child_names(Widget w)
{
    std::vector<std::string> names;
    for (Widget c : children_of(w)) {
        names.emplace_back(XtName(c));
    }
    return names;
}

// The one widget of that name anywhere under the shell.
Widget named(const char* name)
{
    const std::string path = std::string("*") + name;
    return XtNameToWidget(app_state.toplevel, path.c_str());
}

unsigned char uchar_resource(Widget w, const char* resource)
{
    unsigned char value = 0xEE;
    XtVaGetValues(w, resource, &value, nullptr);
    return value;
}

Dimension dimension_resource(Widget w, const char* resource)
{
    Dimension value = 0xEEEE;
    XtVaGetValues(w, resource, &value, nullptr);
    return value;
}

void count_names(Widget w, std::map<std::string, int>& counts)
{
    ++counts[XtName(w)];
    for (Widget c : children_of(w)) {
        count_names(c, counts);
    }
}

// One private server and one program start per fixture.
class program_on_xvfb : public ::testing::Test {
protected:
    static void start(const std::vector<std::string>& args)
    {
        server = std::make_unique<private_xvfb>();
        start_program(server->display_name(), args);
        XSync(program_display(), False);
    }
    static void TearDownTestSuite() { server.reset(); }
    static inline std::unique_ptr<private_xvfb> server;
};

class WindowTree : public program_on_xvfb {
protected:
    static void SetUpTestSuite() { start({}); }
};

TEST_F(WindowTree, ContainersHaveTheirNamesClassesParentsAndOrientation)
{
    struct row {
        const char* name;
        WidgetClass cls;
        const char* parent;  // nullptr: the top-level shell
        unsigned char orientation;  // 0: not a RowColumn
    };
    const row rows[] = {
        {"master_rc", xmRowColumnWidgetClass, nullptr, XmHORIZONTAL},
        {"col1_rc", xmRowColumnWidgetClass, "master_rc", XmVERTICAL},
        {"col2_rc", xmRowColumnWidgetClass, "master_rc", XmVERTICAL},
        {"txt1_f", xmFrameWidgetClass, "col1_rc", 0},
        {"txt1_rc", xmRowColumnWidgetClass, "txt1_f", XmVERTICAL},
        {"txt2_f", xmFrameWidgetClass, "col1_rc", 0},
        {"txt2_rc", xmRowColumnWidgetClass, "txt2_f", XmVERTICAL},
        {"txt3_f", xmFrameWidgetClass, "col1_rc", 0},
        {"txt3_rc", xmRowColumnWidgetClass, "txt3_f", XmVERTICAL},
        {"txt4_f", xmFrameWidgetClass, "col2_rc", 0},
        {"txt4_rc", xmRowColumnWidgetClass, "txt4_f", XmVERTICAL},
        {"slave_rc", xmRowColumnWidgetClass, "col2_rc", XmHORIZONTAL},
        {"frame", xmFrameWidgetClass, "slave_rc", 0},
        {"canvas", xmDrawingAreaWidgetClass, "frame", 0},
        {"test", xmToggleButtonWidgetClass, "col2_rc", 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        Widget w = named(r.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(XtClass(w), r.cls) << XtClass(w)->core_class.class_name;
        if (r.parent == nullptr) {
            EXPECT_EQ(XtParent(w), app_state.toplevel);
        } else {
            EXPECT_STREQ(XtName(XtParent(w)), r.parent);
        }
        if (r.orientation != 0) {
            EXPECT_EQ(uchar_resource(w, XmNorientation), r.orientation);
        }
    }
}

TEST_F(WindowTree, ContainersHoldTheirChildrenInOrder)
{
    struct row {
        const char* parent;
        std::vector<std::string> children;
    };
    const row rows[] = {
        {"master_rc", {"col1_rc", "col2_rc"}},
        {"col1_rc", {"txt1_f", "txt2_f", "txt3_f"}},
        // The toggle sits below the picture in the column, not beside it.
        {"col2_rc", {"txt4_f", "slave_rc", "test"}},
        {"slave_rc", {"frame"}},
        {"frame", {"canvas"}},
        {"txt1_rc", {"cell", "cell", "cell"}},
        {"txt2_rc", {"cell", "cell", "cell", "cell"}},
        {"txt3_rc", {"cell", "cell"}},
        {"txt4_rc", {"cell", "cell", "cell", "cell", "cell"}},
    };
    EXPECT_EQ(child_names(app_state.toplevel), std::vector<std::string>{"master_rc"});
    for (const row& r : rows) {
        SCOPED_TRACE(r.parent);
        Widget w = named(r.parent);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(child_names(w), r.children);
    }
    // Frames may hold a title child too; the group RowColumn is the work area.
    for (const char* f : {"txt1_f", "txt2_f", "txt3_f", "txt4_f"}) {
        SCOPED_TRACE(f);
        const std::string rc = std::string(f).replace(5, 1, "rc");
        EXPECT_EQ(child_names(named(f)), std::vector<std::string>{rc});
    }
}

TEST_F(WindowTree, SpacerRowsMakeNoWidgets)
{
    std::map<std::string, int> counts;
    count_names(app_state.toplevel, counts);
    EXPECT_EQ(counts["cell"], 14);
    EXPECT_EQ(counts["llabel"], 19);
    EXPECT_EQ(counts["lvalue"], 19);
    for (const char* unique : {"master_rc", "col1_rc", "col2_rc", "txt1_f", "txt1_rc", "txt2_f", "txt2_rc", "txt3_f",
                               "txt3_rc", "txt4_f", "txt4_rc", "slave_rc", "frame", "canvas", "test"}) {
        EXPECT_EQ(counts[unique], 1) << unique;
    }
}

TEST_F(WindowTree, EachPanelRowHasItsCellCaptionsAndSlots)
{
    struct row {
        int number;
        const char* group;
        int index;  // position of the cell in its group
        const char* caption;
        const char* second_caption;  // nullptr: the cell has two children
    };
    const row rows[] = {
        {0, "txt1_rc", 0, "Julian date:    ", nullptr},
        {1, "txt1_rc", 1, "Universal time: ", nullptr},
        {2, "txt1_rc", 2, "Local time:     ", nullptr},
        {4, "txt2_rc", 0, "Age of moon:    ", nullptr},
        {5, "txt2_rc", 1, "Moon phase:     ", nullptr},
        {6, "txt2_rc", 2, "Moon's distance:", nullptr},
        {7, "txt2_rc", 3, "Moon subtends:  ", nullptr},
        {9, "txt3_rc", 0, "Sun's distance: ", nullptr},
        {10, "txt3_rc", 1, "Sun subtends:   ", nullptr},
        {12, "txt4_rc", 0, "Last new moon:", "Lunation:"},
        {13, "txt4_rc", 1, "First quarter:", ""},
        {14, "txt4_rc", 2, "Full moon:    ", ""},
        {15, "txt4_rc", 3, "Last quarter: ", ""},
        {16, "txt4_rc", 4, "Next new moon:", "Lunation:"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE("row " + std::to_string(r.number));
        const std::vector<Widget> cells = children_of(named(r.group));
        ASSERT_LT(static_cast<std::size_t>(r.index), cells.size());
        Widget cell = cells[static_cast<std::size_t>(r.index)];
        EXPECT_EQ(XtClass(cell), xmRowColumnWidgetClass);
        EXPECT_EQ(uchar_resource(cell, XmNorientation), XmHORIZONTAL);

        const std::vector<Widget> kids = children_of(cell);
        const std::vector<std::string> expected_names =
            r.second_caption == nullptr ? std::vector<std::string>{"llabel", "lvalue"}
                                        : std::vector<std::string>{"llabel", "lvalue", "llabel", "lvalue"};
        ASSERT_EQ(child_names(cell), expected_names);
        for (Widget k : kids) {
            EXPECT_EQ(XtClass(k), xmLabelWidgetClass);
        }
        EXPECT_EQ(label_text(kids[0]), r.caption);
        EXPECT_EQ(app_state.value_widgets[static_cast<std::size_t>(r.number)], kids[1]);
        if (r.second_caption != nullptr) {
            EXPECT_EQ(label_text(kids[2]), r.second_caption);
            if (r.number == 12) {
                EXPECT_EQ(app_state.value_widgets[lunation_slot_last], kids[3]);
            } else if (r.number == 16) {
                EXPECT_EQ(app_state.value_widgets[lunation_slot_next], kids[3]);
            } else {
                // Nothing ever writes here: an empty string, not the widget's name.
                EXPECT_EQ(label_text(kids[3]), "");
            }
        }
    }
}

TEST_F(WindowTree, UnusedSlotsStayNullAndTheCanvasIsSlotTwenty)
{
    for (int slot : {3, 8, 11, 17}) {
        EXPECT_EQ(app_state.value_widgets[static_cast<std::size_t>(slot)], nullptr) << "slot " << slot;
    }
    EXPECT_EQ(app_state.value_widgets[canvas_slot], named("canvas"));
    EXPECT_NE(app_state.value_widgets[lunation_slot_last], app_state.value_widgets[lunation_slot_next]);
}

TEST_F(WindowTree, ToggleIsUnsetWithoutTestOption)
{
    Widget test = named("test");
    ASSERT_NE(test, nullptr);
    EXPECT_EQ(label_text(test), "Test");
    EXPECT_FALSE(XmToggleButtonGetState(test));
    EXPECT_EQ(app_state.test_mode, 0);
}

TEST_F(WindowTree, CanvasIsSixtyFourSquareInsideAnEtchedMarginedFrame)
{
    Widget canvas = named("canvas");
    EXPECT_EQ(dimension_resource(canvas, XmNwidth), 64);
    EXPECT_EQ(dimension_resource(canvas, XmNheight), 64);
    EXPECT_EQ(uchar_resource(canvas, XmNresizePolicy), XmRESIZE_NONE);

    Widget frame = named("frame");
    EXPECT_EQ(dimension_resource(frame, XmNmarginWidth), 3);
    EXPECT_EQ(dimension_resource(frame, XmNmarginHeight), 3);
    for (const char* f : {"txt1_f", "txt2_f", "txt3_f", "txt4_f", "frame"}) {
        EXPECT_EQ(uchar_resource(named(f), XmNshadowType), XmSHADOW_ETCHED_IN) << f;
    }
}

class WindowInTestMode : public program_on_xvfb {
protected:
    static void SetUpTestSuite() { start({"-t"}); }
};

TEST_F(WindowInTestMode, ToggleIsSetAndTestModeStaysOn)
{
    Widget test = named("test");
    ASSERT_NE(test, nullptr);
    EXPECT_TRUE(XmToggleButtonGetState(test));
    EXPECT_EQ(app_state.test_mode, 1);
}

TEST_F(WindowInTestMode, SpareLunationLabelsStayEmptyWhileTheClockRuns)
{
    // Test mode updates every 150 ms: let several runs pass.
    dispatch_for(std::chrono::milliseconds(700));
    EXPECT_EQ(app_state.test_mode, 1);
    EXPECT_NE(label_text(app_state.value_widgets[lunation_slot_last]), "");
    EXPECT_NE(label_text(app_state.value_widgets[lunation_slot_next]), "");
    const std::vector<Widget> cells = children_of(named("txt4_rc"));
    ASSERT_EQ(cells.size(), 5u);
    for (std::size_t i = 1; i <= 3; ++i) {
        SCOPED_TRACE("row " + std::to_string(12 + i));
        const std::vector<Widget> kids = children_of(cells[i]);
        ASSERT_EQ(kids.size(), 4u);
        EXPECT_EQ(label_text(kids[2]), "");
        EXPECT_EQ(label_text(kids[3]), "");
    }
}

// Resources address the widgets by name. What the program sets explicitly
// at creation (the frames' shadow type) wins over the database, as Xt
// gives creation arguments precedence; what it leaves alone comes from it.
class WindowWithResources : public program_on_xvfb {
protected:
    static void SetUpTestSuite()
    {
        start({"-xrm", "Lunaclock*txt2_f.shadowType: SHADOW_OUT", "-xrm", "Lunaclock*txt2_f.marginWidth: 7",
               "-xrm", "Lunaclock*txt4_rc.cell.lvalue.shadowThickness: 4",
               "-xrm", "Lunaclock*cell.isAligned: False"});
    }
};

TEST_F(WindowWithResources, NamedResourceReachesOnlyItsWidget)
{
    for (const char* f : {"txt1_f", "txt3_f", "txt4_f"}) {
        SCOPED_TRACE(f);
        EXPECT_NE(dimension_resource(named(f), XmNmarginWidth), 7);
    }
    EXPECT_EQ(dimension_resource(named("txt2_f"), XmNmarginWidth), 7);
    EXPECT_EQ(dimension_resource(named("frame"), XmNmarginWidth), 3);

    // The value labels of the phase-date rows only, both columns of them.
    for (const char* group : {"txt1_rc", "txt4_rc"}) {
        for (Widget cell : children_of(named(group))) {
            for (Widget label : children_of(cell)) {
                const bool addressed = std::string(group) == "txt4_rc" && std::string(XtName(label)) == "lvalue";
                EXPECT_EQ(dimension_resource(label, XmNshadowThickness) == 4, addressed)
                    << group << " " << XtName(label);
            }
        }
    }
}

// A RowColumn aligns its labels to its own entry alignment; once the cells
// leave their labels alone, each keeps the alignment it was created with:
// captions at the beginning, values at the end.
TEST_F(WindowWithResources, LabelsKeepTheirAlignmentWhenCellsDoNotAlign)
{
    for (const char* group : {"txt1_rc", "txt2_rc", "txt3_rc", "txt4_rc"}) {
        for (Widget cell : children_of(named(group))) {
            const std::vector<Widget> kids = children_of(cell);
            for (std::size_t k = 0; k < kids.size(); ++k) {
                EXPECT_EQ(uchar_resource(kids[k], XmNalignment), k % 2 == 0 ? XmALIGNMENT_BEGINNING : XmALIGNMENT_END)
                    << group << " child " << k;
            }
        }
    }
}

TEST_F(WindowWithResources, ExplicitShadowTypeOverridesTheDatabase)
{
    for (const char* f : {"txt1_f", "txt2_f", "txt3_f", "txt4_f", "frame"}) {
        EXPECT_EQ(uchar_resource(named(f), XmNshadowType), XmSHADOW_ETCHED_IN) << f;
    }
}

}  // namespace

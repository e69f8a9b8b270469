// The plot window's input: received lines into channel samples, and the dialog feeding it only
// while it is open, with received bytes only (no stamps, no echoed sends).
#include <QtCore/qnamespace.h>

#include <cmath>
#include <map>

#include "plot/PlotParser.h"
#include "support/port_dialog.h"

namespace {

// The samples of the lines, as "name" -> values.
std::map<std::string, std::vector<double>> Parse(CPlotParser& p, const std::string& bytes) {
    std::map<std::string, std::vector<double>> out;
    p.Feed(bytes.data(), bytes.size(), [&](const CPlotParser::Line& l) {
        for (int c = 0; c < CPlotParser::kMaxChannels; ++c)
            if (l.mask >> c & 1) out[p.Names()[c]].push_back(l.v[c]);
    });
    return out;
}

TEST(PlotParser, LinesIntoChannelSamples) {
    using M = std::map<std::string, std::vector<double>>;
    const std::string big(1 << 20, '7');
    struct Case {
        std::string bytes;
        M expected;
    } cases[] = {
        {"1023 512 -7\r\n", {{"1", {1023}}, {"2", {512}}, {"3", {-7}}}},
        {"1,2;3\t4\n", {{"1", {1}}, {"2", {2}}, {"3", {3}}, {"4", {4}}}},
        {"t=23.5,h=41\nax:0.01 ay:-0.98\n",
         {{"t", {23.5}}, {"h", {41}}, {"ax", {0.01}}, {"ay", {-0.98}}}},
        // Names come and go: a missing name is no sample.
        {"a=1,b=2\nb=3\na=4\n", {{"a", {1, 4}}, {"b", {2, 3}}}},
        {"Temp: 21.5\n", {{"Temp", {21.5}}}},
        // Signs, points and exponents.
        {"+1.5e3 -2E-2 .5 -7. 1e+2\n",
         {{"1", {1500}}, {"2", {-0.02}}, {"3", {0.5}}, {"4", {-7}}, {"5", {100}}}},
        // Junk: words, malformed numbers, a line without numbers; they take no column.
        {"hello world\nv 12 1.2.3 --4 5x 6\n", {{"1", {12}}, {"2", {6}}}},
        {"a=xyz,b=1e,c=2\n", {{"c", {2}}}},
        // nan and inf take their column and give no sample; a float's overflow neither.
        {"nan,1,inf,-Infinity,2\nx=NaN\n", {{"2", {1}}, {"5", {2}}}},
        {"1e39 3\n", {{"2", {3}}}},
        // Split anywhere: the line is whole when its end comes.
        {"1.2", {}},
        // A line of 1 MB without a line end is skipped, the next one is not.
        {big + "\n4\n", {{"1", {4}}}},
        {"\x01\x02=5\xff\xfe\x00\n", {}},
    };
    for (const Case& c : cases) {
        CPlotParser p;
        M got = Parse(p, c.bytes);
        ASSERT_EQ(got.size(), c.expected.size()) << c.bytes.substr(0, 40);
        for (const auto& [name, values] : c.expected) {
            ASSERT_EQ(got[name].size(), values.size()) << c.bytes.substr(0, 40) << " " << name;
            for (size_t i = 0; i < values.size(); ++i)
                EXPECT_NEAR(got[name][i], values[i], std::fabs(values[i]) * 1e-12) << name;
        }
    }
    // Bytes in pieces, and the rest of an overlong line after its start was cut off.
    CPlotParser p;
    EXPECT_TRUE(Parse(p, "1.").empty());
    EXPECT_EQ(Parse(p, "25,-3\n")["2"], std::vector<double>{-3});
    Parse(p, std::string(CPlotParser::kMaxLine + 1, '1'));
    EXPECT_TRUE(Parse(p, "9,9\n").empty());
    EXPECT_EQ(Parse(p, "8\n")["1"], std::vector<double>{8});
    // Beyond 16 names the rest are ignored, and said so; columns past 16 likewise.
    std::string names;
    for (int i = 0; i < 3000; ++i)
        names += "n" + std::to_string(i) + "=" + std::to_string(i) + (i % 10 == 9 ? "\n" : " ");
    CPlotParser q;
    M many = Parse(q, names);
    EXPECT_EQ(many.size(), 16u);
    EXPECT_EQ(q.Names().size(), 16u);
    EXPECT_TRUE(q.Overflowed());
    CPlotParser r;
    std::string cols;
    for (int i = 0; i < 20; ++i) cols += std::to_string(i) + ",";
    EXPECT_EQ(Parse(r, cols + "\n").size(), 16u);
    EXPECT_TRUE(r.Overflowed());
}

// The dialog feeds the plot window the received bytes while it is open, and nothing else.
TEST_F(PortDialogTest, PlotWindowTakesReceivedLinesOnlyWhileOpen) {
    kvtest::FakeDevice& dev = OpenDevicePort(3);
    m_dlg->m_bRxTime = TRUE;  // stamps on the display are not data
    PlotStore& store = m_dlg->m_plot.Window().Store();
    dev.Send("1,2\n");
    Deliver();
    EXPECT_EQ(store.Count(0), 0u);  // closed: nothing parsed
    kvtest::PressKey(m_dlg.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(m_dlg->m_plot.IsOpen());
    dev.Send("3,4\n5,");
    Deliver();
    dev.Send("6\n");
    Deliver();
    ASSERT_EQ(store.Count(0), 2u);
    EXPECT_EQ(store.At(0, 0).v, 3);
    EXPECT_EQ(store.At(1, 1).v, 6);
    EXPECT_EQ(store.Count(2), 0u);
    // An echoed send is not received data.
    m_dlg->m_settings.m_bShowSent = TRUE;
    m_dlg->m_editSend.SetWindowText("7,8\r\n");
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(dev.Receive(5), "7,8\r\n");
    Deliver();
    EXPECT_EQ(store.Count(0), 2u);
    m_dlg->m_plot.Window().Close();
    kvtest::AdvanceClock(50);
    dev.Send("9\n");
    Deliver();
    EXPECT_EQ(store.Count(0), 2u);
}

}  // namespace

// The plot window's samples from received lines, its timer and its options.
#include "dialog/PlotWnd.h"

#include "options/Settings.h"

CPlotWnd::CPlotWnd(CKivernSettings* pSettings, CWnd* pOwner, UINT_PTR nTimer)
    : m_pSettings(pSettings), m_pOwner(pOwner), m_nTimer(nTimer) {
    m_window.SetOnClear([this] { Restart(); });
    m_window.SetOnOptionsChanged([this] { SaveOptions(); });
}

void CPlotWnd::Restart() {
    m_parser.Reset();
    m_nSeq = 0;
    m_nNames = 0;
    m_bOverflow = false;
    m_nStartMs = CurrentClock().NowMs();
}

void CPlotWnd::Open() {
    if (!m_bLoaded) {
        LoadOptions();
        Restart();
        m_bLoaded = true;
    }
    if (!IsOpen() && !m_bAtLineStart) m_parser.SkipToLineEnd();  // the rest of a line missed
    m_window.Show(m_pOwner);
    // About 22 pictures a second at most: smooth, at half the cost of a picture per delivery.
    if (!m_bTiming) m_pOwner->SetTimer(m_nTimer, 45, nullptr);
    m_bTiming = true;
}

void CPlotWnd::Feed(const unsigned char* pBytes, INT_PTR nCount) {
    if (nCount <= 0) return;
    if (!IsOpen()) {
        m_bAtLineStart = pBytes[nCount - 1] == '\n';
        return;
    }
    const double t = (CurrentClock().NowMs() - m_nStartMs) / 1000.0;
    PlotStore& store = m_window.Store();
    bool bAny = false;
    m_parser.Feed(reinterpret_cast<const char*>(pBytes), (size_t)nCount,
                  [&](const CPlotParser::Line& line) {
                      for (uint32_t m = line.mask; m; m &= m - 1) {
                          const int c = __builtin_ctz(m);
                          store.Append(c, m_nSeq, t, (float)line.v[c]);
                      }
                      ++m_nSeq;
                      bAny = true;
                  });
    if (m_parser.Names().size() != m_nNames || m_parser.Overflowed() != m_bOverflow) {
        m_nNames = m_parser.Names().size();
        m_bOverflow = m_parser.Overflowed();
        m_window.SetNames(m_parser.Names(), m_pSettings->m_nEncoding == KV_ENC_UTF8, m_bOverflow);
    }
    if (bAny) m_window.Changed();
}

void CPlotWnd::OnTick() {
    if (!IsOpen()) {
        m_pOwner->KillTimer(m_nTimer);
        m_bTiming = false;
        return;
    }
    m_window.Refresh();
}

// Under "plot" in the settings file: history, xAxis ("index"/"time"), yAxis ("auto"/"fixed"),
// yMin, yMax, palette ("light"/"dark"). Missing or invalid members keep the defaults.
void CPlotWnd::LoadOptions() {
    const Json::Value p = m_pSettings->ToJson()["plot"];
    PlotOptions o;
    if (p.isObject()) {
        const Json::Value& h = p["history"];
        if (h.isUInt() && h.asUInt() >= 100 && h.asUInt() <= 10000000) o.nHistory = h.asUInt();
        o.bByTime = p["xAxis"].isString() && p["xAxis"].asString() == "time";
        o.bYAuto = !(p["yAxis"].isString() && p["yAxis"].asString() == "fixed");
        if (p["yMin"].isDouble() && p["yMax"].isDouble() &&
            p["yMin"].asDouble() < p["yMax"].asDouble()) {
            o.dYMin = p["yMin"].asDouble();
            o.dYMax = p["yMax"].asDouble();
        }
        o.bDark = p["palette"].isString() && p["palette"].asString() == "dark";
    }
    m_window.SetOptions(o);
}

void CPlotWnd::SaveOptions() {
    const PlotOptions& o = m_window.Options();
    Json::Value root = m_pSettings->ToJson();
    Json::Value p(Json::objectValue);
    p["history"] = (Json::UInt64)o.nHistory;
    p["xAxis"] = o.bByTime ? "time" : "index";
    p["yAxis"] = o.bYAuto ? "auto" : "fixed";
    p["yMin"] = o.dYMin;
    p["yMax"] = o.dYMax;
    p["palette"] = o.bDark ? "dark" : "light";
    if (root["plot"] == p) return;
    root["plot"] = p;
    m_pSettings->FromJson(root);
    m_pSettings->Save();
}

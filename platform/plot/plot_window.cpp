// The plot window's bar and its wiring to the picture.
#include "platform/plot/plot_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>

#include "platform/lang/lang.h"
#include "platform/plot/plot_view.h"
#include "platform/ui/filedlg.h"
#include "platform/ui/qtext.h"
#include "platform/ui/window_p.h"

namespace {
// A text of the window in the chosen language.
QString U(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

struct CPlotWindow::Impl : QWidget {
    explicit Impl(CPlotWindow* owner) : m_owner(owner), view(new PlotView(&owner->m_store)) {
        setWindowTitle(U(AfxTrUtf8("Plot", "绘图")));
        setAttribute(Qt::WA_DeleteOnClose, false);
        auto* bar = new QHBoxLayout;
        pause = new QPushButton(U(AfxTrUtf8("Plot", "暂停")));
        pause->setCheckable(true);
        follow = new QPushButton(U(AfxTrUtf8("Plot", "跟随")));
        auto* clear = new QPushButton(U(AfxTrUtf8("Plot", "清除")));
        xAxis = new QComboBox;
        xAxis->addItems({U(AfxTrUtf8("Plot", "序号")), U(AfxTrUtf8("Plot", "时间"))});
        yAxis = new QComboBox;
        yAxis->addItems({U(AfxTrUtf8("Plot", "自动")), U(AfxTrUtf8("Plot", "固定"))});
        yMin = new QDoubleSpinBox;
        yMax = new QDoubleSpinBox;
        for (QDoubleSpinBox* s : {yMin, yMax}) {
            s->setRange(-1e12, 1e12);
            s->setDecimals(3);
            s->setMaximumWidth(100);
        }
        history = new QSpinBox;
        history->setRange(100, 10000000);
        history->setSingleStep(10000);
        history->setMaximumWidth(100);
        dark = new QCheckBox(U(AfxTrUtf8("Plot", "深色")));
        auto* csv = new QPushButton(U(AfxTrUtf8("Plot", "导出 CSV...")));
        auto* png = new QPushButton(U(AfxTrUtf8("Plot", "导出 PNG...")));
        pause->setToolTip(U(AfxTrUtf8("Plot", "暂停/继续 (空格)")));
        follow->setToolTip(U(AfxTrUtf8("Plot", "回到最新数据 (滚轮缩放、拖动平移后)")));
        bar->addWidget(pause);
        bar->addWidget(follow);
        bar->addWidget(clear);
        bar->addSpacing(8);
        bar->addWidget(new QLabel(U(AfxTrUtf8("Plot", "X轴"))));
        bar->addWidget(xAxis);
        bar->addWidget(new QLabel(U(AfxTrUtf8("Plot", "Y轴"))));
        bar->addWidget(yAxis);
        bar->addWidget(yMin);
        bar->addWidget(yMax);
        bar->addWidget(new QLabel(U(AfxTrUtf8("Plot", "历史"))));
        bar->addWidget(history);
        bar->addWidget(dark);
        bar->addStretch(1);
        bar->addWidget(csv);
        bar->addWidget(png);
        auto* box = new QVBoxLayout(this);
        box->setContentsMargins(6, 6, 6, 6);
        box->addLayout(bar);
        box->addWidget(view, 1);
        resize(960, 540);
        pause->setShortcut(Qt::Key_Space);
        Load(owner->m_opt);
        connect(pause, &QPushButton::toggled, this, [this](bool b) { view->SetPaused(b); });
        connect(follow, &QPushButton::clicked, this, [this] {
            pause->setChecked(false);
            follow->setChecked(true);
            view->Follow();
        });
        connect(clear, &QPushButton::clicked, this, [this] { m_owner->Clear(); });
        connect(view, &PlotView::FollowChanged, this, [this](bool b) { follow->setChecked(b); });
        connect(view, &PlotView::YChanged, this, [this] { Changed(true); });
        follow->setCheckable(true);
        follow->setChecked(true);
        auto changed = [this] { Changed(); };
        connect(xAxis, qOverload<int>(&QComboBox::currentIndexChanged), this, changed);
        connect(yAxis, qOverload<int>(&QComboBox::currentIndexChanged), this, changed);
        connect(yMin, qOverload<double>(&QDoubleSpinBox::valueChanged), this, changed);
        connect(yMax, qOverload<double>(&QDoubleSpinBox::valueChanged), this, changed);
        connect(history, &QSpinBox::editingFinished, this, changed);
        connect(dark, &QCheckBox::toggled, this, changed);
        connect(csv, &QPushButton::clicked, this, [this] { Export("csv"); });
        connect(png, &QPushButton::clicked, this, [this] { Export("png"); });
    }

    PlotOptions Read() const {
        PlotOptions o;
        o.nHistory = (size_t)history->value();
        o.bByTime = xAxis->currentIndex() == 1;
        o.bYAuto = yAxis->currentIndex() == 0;
        o.dYMin = yMin->value();
        o.dYMax = yMax->value();
        o.bDark = dark->isChecked();
        return o;
    }

    // The bar and the picture show o (no change is reported meanwhile).
    void Load(const PlotOptions& o) {
        m_bLoading = true;
        xAxis->setCurrentIndex(o.bByTime ? 1 : 0);
        yAxis->setCurrentIndex(o.bYAuto ? 0 : 1);
        yMin->setValue(o.dYMin);
        yMax->setValue(o.dYMax);
        yMin->setEnabled(!o.bYAuto);
        yMax->setEnabled(!o.bYAuto);
        history->setValue((int)std::min<size_t>(o.nHistory, 10000000));
        dark->setChecked(o.bDark);
        view->SetOptions({o.bByTime, o.bYAuto, o.dYMin, o.dYMax, o.bDark});
        m_bLoading = false;
    }

    // The user changed the bar (or the picture's y range: fromView).
    void Changed(bool bFromView = false) {
        if (m_bLoading) return;
        PlotOptions o = Read();
        if (bFromView) {
            const PlotViewOptions& v = view->Options();
            o.bYAuto = v.bYAuto, o.dYMin = v.dYMin, o.dYMax = v.dYMax;
        }
        Load(o);
        m_owner->m_opt = o;
        m_owner->m_store.SetCapacity(o.nHistory);
        m_owner->OptionsChangedByUser();
    }

    void Export(const char* ext) {
        const bool bCsv = ext[0] == 'c';
        CFileDialog dlg(FALSE, ext, bCsv ? "plot.csv" : "plot.png",
                        OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                        bCsv ? "CSV (*.csv)|*.csv||" : "PNG (*.png)|*.png||");
        if (dlg.DoModal() != IDOK) return;
        if (bCsv)
            m_owner->ExportCsv(dlg.GetPathName());
        else
            m_owner->ExportPng(dlg.GetPathName());
    }

    CPlotWindow* m_owner;
    PlotView* view;
    QPushButton *pause, *follow;
    QComboBox *xAxis, *yAxis;
    QDoubleSpinBox *yMin, *yMax;
    QSpinBox* history;
    QCheckBox* dark;
    bool m_bLoading = false;
};

CPlotWindow::CPlotWindow() = default;
CPlotWindow::~CPlotWindow() = default;

void CPlotWindow::Make() {
    if (m_p) return;
    m_p.reset(new Impl(this));
    SetNames(m_names, m_bUtf8, m_bOverflow);
}

void CPlotWindow::Show(CWnd* pOwner) {
    Make();
    if (QWidget* owner = pOwner ? kvimpl::WidgetOf(pOwner) : nullptr) {
        m_p->winId();  // the native window, to be the owner's transient
        if (owner->window()->windowHandle())
            m_p->windowHandle()->setTransientParent(owner->window()->windowHandle());
    }
    m_p->show();
    m_p->raise();
    m_p->activateWindow();
}

BOOL CPlotWindow::IsOpen() const { return m_p && m_p->isVisible(); }

void CPlotWindow::Close() {
    if (m_p) m_p->hide();
}

void CPlotWindow::SetNames(const std::vector<std::string>& names, BOOL bUtf8, BOOL bOverflow) {
    m_names = names;
    m_bUtf8 = bUtf8;
    m_bOverflow = bOverflow;
    if (!m_p) return;
    QStringList list;
    for (const std::string& n : names)
        list << (bUtf8 ? QString::fromUtf8(n.data(), (int)n.size())
                       : kvimpl::FromGbk(n.data(), n.size()));
    m_p->view->SetNames(list, bOverflow);
}

void CPlotWindow::Refresh() {
    if (!m_bChanged || !IsOpen() || m_p->view->IsPaused()) return;
    m_bChanged = false;
    m_p->view->update();
}

void CPlotWindow::SetOptions(const PlotOptions& o) {
    m_opt = o;
    m_store.SetCapacity(o.nHistory);
    if (m_p) m_p->Load(o);
}

void CPlotWindow::OptionsChangedByUser() {
    if (m_onOptions) m_onOptions();
}

void CPlotWindow::SetPaused(BOOL bPaused) {
    Make();
    m_p->pause->setChecked(bPaused != FALSE);
}

BOOL CPlotWindow::IsPaused() const { return m_p && m_p->view->IsPaused(); }

void CPlotWindow::Clear() {
    m_store.Clear();
    m_names.clear();
    m_bOverflow = FALSE;
    if (m_onClear) m_onClear();
    SetNames(m_names, m_bUtf8, FALSE);
    if (m_p) {
        m_p->view->SetHidden(0);
        m_p->view->Follow();
    }
}

void CPlotWindow::Zoom(double x0, double x1) {
    Make();
    m_p->view->SetXRange(x0, x1);
}

void CPlotWindow::Follow() {
    Make();
    m_p->pause->setChecked(false);
    m_p->view->Follow();
}

BOOL CPlotWindow::ExportCsv(LPCSTR lpszPath) const {
    FILE* f = fopen(lpszPath, "wb");
    if (!f) return FALSE;
    bool ok = m_store.WriteCsv(f, m_names);
    return fclose(f) == 0 && ok;
}

BOOL CPlotWindow::ExportPng(LPCSTR lpszPath) const {
    if (!m_p) return FALSE;
    QImage img = m_p->view->Picture(m_p->view->size());
    return img.save(QFile::decodeName(lpszPath), "PNG");
}

unsigned CPlotWindow::Frames() const { return m_p ? m_p->view->Frames() : 0; }

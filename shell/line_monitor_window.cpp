#include "shell/line_monitor_window.h"

#include "definitions/kdl_file.h"
#include "definitions/line_decoder.h"
#include "devicelink/serial_port.h"
#include "platform/system/profile.h"
#include "shell/app_state.h"
#include "shell/key_files.h"
#include "shell/main_form_layout.h"
#include "toolkit/gantry.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <deque>

namespace vantor::linemonitor {

namespace {

constexpr const char* kSection = "LineMonitor";
// The window's work (naming the rows and drawing them) takes at most about
// 1/kShare of the time: after a batch that took t ms the next one comes
// kShare * t ms later, but never sooner than kQuietMs nor later than kMaxMs.
constexpr int kQuietMs = 100, kMaxMs = 5000;
constexpr double kShare = 250;
std::size_t rowLimit = 100000;

std::int64_t steadyMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString qs(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

class RowModel final : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const LineRow& row = rows_[static_cast<std::size_t>(index.row())];
        switch (index.column()) {
        case 0: return QString::number(row.t, 'f', 3);
        case 1: return qs(directionText(row.dir));
        case 2: return qs(lineHex(row.bytes));
        default: return qs(rowMeaning(row));
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* const names[] = {"Time", "Direction", "Bytes", "Meaning"};
        return section >= 0 && section < 4 ? QString(names[section]) : QVariant();
    }

    void append(std::vector<LineRow> more)
    {
        if (more.empty())
            return;
        if (more.size() > rowLimit)
            more.erase(more.begin(), more.end() - static_cast<std::ptrdiff_t>(rowLimit));
        const std::size_t overflow = rows_.size() + more.size() > rowLimit ? rows_.size() + more.size() - rowLimit : 0;
        if (overflow > 0) {
            beginRemoveRows({}, 0, static_cast<int>(overflow) - 1);
            rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(overflow));
            endRemoveRows();
        }
        const int first = static_cast<int>(rows_.size());
        beginInsertRows({}, first, first + static_cast<int>(more.size()) - 1);
        for (auto& r : more)
            rows_.push_back(std::move(r));
        endInsertRows();
    }
    void clear()
    {
        beginResetModel();
        rows_.clear();
        endResetModel();
    }
    const LineRow& row(int i) const { return rows_[static_cast<std::size_t>(i)]; }

private:
    std::deque<LineRow> rows_;
};

class RowFilter final : public QSortFilterProxyModel {
public:
    int direction = -1; // LineDirection, -1 all
    int kind = -1;      // MessageKind, -1 all
    void changed() { invalidateFilter(); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override
    {
        const LineRow& r = static_cast<const RowModel*>(sourceModel())->row(sourceRow);
        return (direction < 0 || static_cast<int>(r.dir) == direction) &&
            (kind < 0 || static_cast<int>(r.kind) == kind);
    }
};

struct Chunk {
    bool sent;
    Bytes bytes;
    std::int64_t micros;
};

class Window final : public QWidget {
public:
    explicit Window(QWidget* parent) : QWidget(parent, Qt::Window)
    {
        setWindowTitle("Line Monitor");
        setObjectName("LineMonitor");
        setAttribute(Qt::WA_DeleteOnClose);

        direction_ = new QComboBox(this);
        direction_->setAccessibleName("Direction filter");
        direction_->addItem("All directions", -1);
        for (LineDirection d : {LineDirection::ToPanel, LineDirection::FromPanel, LineDirection::ToEquipment,
                                LineDirection::FromEquipment})
            direction_->addItem(qs(directionText(d)), static_cast<int>(d));
        kind_ = new QComboBox(this);
        kind_->setAccessibleName("Kind filter");
        kind_->addItem("All kinds", -1);
        for (int k = 0; k <= static_cast<int>(MessageKind::Raw); ++k)
            kind_->addItem(qs(kindCaption(static_cast<MessageKind>(k))), k);
        pause_ = new QPushButton("&Pause", this);
        pause_->setCheckable(true);
        auto* clear = new QPushButton("C&lear", this);
        auto* copy = new QPushButton("&Copy", this);
        auto* save = new QPushButton("&Save As...", this);

        filter_.setSourceModel(&model_);
        view_ = new QTableView(this);
        view_->setModel(&filter_);
        view_->setSelectionBehavior(QAbstractItemView::SelectRows);
        view_->setWordWrap(false);
        view_->verticalHeader()->hide();
        view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
        view_->horizontalHeader()->setStretchLastSection(true);
        view_->setColumnWidth(0, 80);
        view_->setColumnWidth(1, 110);
        view_->setColumnWidth(2, 260);
        view_->installEventFilter(this);

        auto* top = new QHBoxLayout;
        top->addWidget(new QLabel("Show:", this));
        top->addWidget(direction_);
        top->addWidget(kind_);
        top->addStretch(1);
        for (QPushButton* b : {pause_, clear, copy, save})
            top->addWidget(b);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(top);
        layout->addWidget(view_);

        connect(direction_, &QComboBox::currentIndexChanged, this, [this] {
            filter_.direction = direction_->currentData().toInt();
            filter_.changed();
        });
        connect(kind_, &QComboBox::currentIndexChanged, this, [this] {
            filter_.kind = kind_->currentData().toInt();
            filter_.changed();
        });
        connect(pause_, &QPushButton::toggled, this, [this](bool on) {
            if (!on) {
                model_.append(std::move(held_));
                held_.clear();
                view_->scrollToBottom();
            }
        });
        connect(clear, &QPushButton::clicked, this, [this] {
            model_.clear();
            held_.clear();
        });
        connect(copy, &QPushButton::clicked, this, [this] { copySelection(); });
        connect(save, &QPushButton::clicked, this, [this] { saveAs(); });
        connect(&timer_, &QTimer::timeout, this, [this] { process(steadyMicros()); });

        const std::string file = settingsFilePath();
        const int w = std::atoi(getPrivateProfileString(kSection, "Width", "", file).c_str());
        const int h = std::atoi(getPrivateProfileString(kSection, "Height", "", file).c_str());
        resize(w >= 200 ? w : 760, h >= 120 ? h : 420);

        monitor_.decoder().setTable(&definitionTable());
        applyMode();
        monitor_.start(steadyMicros());
        serialPort().setLineTap([this](TapDirection d, const Bytes& b, std::int64_t micros) {
            pending_.push_back({d == TapDirection::Sent, b, micros});
        });
        timer_.start(kQuietMs);
    }
    ~Window() override
    {
        serialPort().setLineTap({});
        const std::string file = settingsFilePath();
        writePrivateProfileString(kSection, "Width", " " + std::to_string(width()), file);
        writePrivateProfileString(kSection, "Height", " " + std::to_string(height()), file);
    }

    // Frames and names what the tap queued; rows whose last byte came more
    // than 5 ms before `now` end.
    void process(std::int64_t now)
    {
        std::vector<LineRow> rows;
        std::vector<Chunk> chunks;
        chunks.swap(pending_);
        for (const Chunk& c : chunks) {
            applyMode();
            auto more = monitor_.take(c.sent, c.bytes, c.micros);
            std::move(more.begin(), more.end(), std::back_inserter(rows));
        }
        auto rest = monitor_.idle(now);
        std::move(rest.begin(), rest.end(), std::back_inserter(rows));
        if (rows.empty()) {
            timer_.setInterval(kQuietMs);
            return;
        }
        if (pause_->isChecked()) {
            std::move(rows.begin(), rows.end(), std::back_inserter(held_));
            if (held_.size() > rowLimit)
                held_.erase(held_.begin(), held_.end() - static_cast<std::ptrdiff_t>(rowLimit));
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        QScrollBar* bar = view_->verticalScrollBar();
        const bool atBottom = bar->value() >= bar->maximum();
        model_.append(std::move(rows));
        if (atBottom)
            view_->scrollToBottom();
        // Drawn now, so that its cost is known.
        if (isVisible())
            repaint();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        timer_.setInterval(std::clamp(static_cast<int>(kShare * ms), kQuietMs, kMaxMs));
    }

    std::size_t shownCount() const { return static_cast<std::size_t>(filter_.rowCount()); }
    std::string shownText() const
    {
        std::string out;
        for (int r = 0; r < filter_.rowCount(); ++r)
            out += rowText(model_.row(filter_.mapToSource(filter_.index(r, 0)).row())) + "\n";
        return out;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == view_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
            copySelection();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    void applyMode()
    {
        const bool keyboard = shellFlags().keyboardMode != 0, emulation = shellFlags().emulationMode != 0;
        if (keyboard != keyboard_ || emulation != emulation_ || !modeSet_) {
            monitor_.setMode(keyboard, emulation);
            keyboard_ = keyboard;
            emulation_ = emulation;
            modeSet_ = true;
        }
    }

    std::vector<int> selectedSourceRows() const
    {
        std::vector<int> rows;
        for (const QModelIndex& i : view_->selectionModel()->selectedRows())
            rows.push_back(filter_.mapToSource(i).row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    void copySelection()
    {
        std::string text;
        for (int r : selectedSourceRows())
            text += rowText(model_.row(r)) + "\n";
        if (!text.empty())
            QApplication::clipboard()->setText(qs(text));
    }

    void saveAs()
    {
        std::string path = GN_SAVEFILE(kMainFormName, "Save Line Monitor", files::dialogFolder(), "line-monitor.txt",
                                       "Text|*.txt|JSON Lines|*.jsonl", "txt", "NZP");
        if (path.empty())
            return;
        const bool json = path.size() >= 6 && path.compare(path.size() - 6, 6, ".jsonl") == 0;
        std::string text;
        for (int r = 0; r < filter_.rowCount(); ++r) {
            const LineRow& row = model_.row(filter_.mapToSource(filter_.index(r, 0)).row());
            text += (json ? rowJson(row) : rowText(row)) + "\n";
        }
        const FileWriteResult result =
            writeFileReplacing(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        if (!result.ok())
            vantorMessage(path + " could not be written" + (result.message.empty() ? "" : ": " + result.message),
                          "Halvern Devices");
    }

    RowModel model_;
    RowFilter filter_;
    QTableView* view_ = nullptr;
    QComboBox* direction_ = nullptr;
    QComboBox* kind_ = nullptr;
    QPushButton* pause_ = nullptr;
    QTimer timer_;
    LineMonitor monitor_;
    std::vector<Chunk> pending_;
    std::vector<LineRow> held_;
    bool keyboard_ = false, emulation_ = false, modeSet_ = false;
};

QPointer<Window>& window()
{
    static QPointer<Window> w;
    return w;
}

} // namespace

void openLineMonitor()
{
    if (!window())
        window() = new Window(toolkitFormWidget(kMainFormName));
    window()->show();
    window()->raise();
    window()->activateWindow();
}

void closeLineMonitor()
{
    if (window())
        window()->close();
}

bool lineMonitorOpen()
{
    return !window().isNull();
}

QWidget* lineMonitorWidget()
{
    return window();
}

void setRowLimit(std::size_t limit)
{
    rowLimit = limit;
}

void processPending()
{
    if (window())
        window()->process(steadyMicros());
}

std::size_t shownRowCount()
{
    return window() ? window()->shownCount() : 0;
}

std::string shownRowsText()
{
    return window() ? window()->shownText() : std::string();
}

} // namespace vantor::linemonitor

#pragma once
// While the views of a page fill, the status bar counts the records read and Escape asks the
// fill to stop (the views read it as the record protocol's abort flag). The window's other
// input waits: a click during a fill must not start another command inside it.

#include <QObject>
#include <cstdint>

class QLabel;

namespace vorelt {

class TFillStop : public QObject {
    Q_OBJECT
public:
    // Shows progress on `status` (none: nowhere); the fill being run is the current one.
    explicit TFillStop(QLabel* status);
    ~TFillStop() override;

    // The fill being run, none between fills.
    static TFillStop* Current();

    bool Stopped() const { return FStopped; }
    void Stop() { FStopped = true; }
    // Records read so far: the status text, and pending window messages are handled.
    void Progress(int64_t records);
    int64_t LastProgress() const { return FLast; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* FStatus;
    QString FSaved;
    TFillStop* FOuter;
    bool FStopped = false;
    int64_t FLast = 0;
};

} // namespace vorelt

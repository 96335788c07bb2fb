#include "tests/qt/QtTestSupport.h"

#include "map/MapState.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyleFactory>
#include <QTest>

#include <clocale>

namespace travik::test {

QApplication& TestApplication()
{
    static int argc = 1;
    static char name[] = "travik_qt_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        // The offscreen platform's own screen (800 by 600) is smaller than
        // any desktop the editor is used on: the tests get a desktop's.
        if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
            qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen:configfile=" TRAVIK_TEST_SCREEN_CONFIG));
        auto* app = new QApplication(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        std::setlocale(LC_NUMERIC, "C"); // as the program does after Qt's start
        return app;
    }();
    return *application;
}

void QtPresenterTest::SetUp()
{
    WorkDirTest::SetUp();
    TestApplication();
    m_presenter = std::make_unique<qtpresenter::QtPresenter>();
    m_active = std::make_unique<headless::ScopedPresenter>(*m_presenter);
}

void QtPresenterTest::TearDown()
{
    m_active.reset();
    m_presenter.reset();
    // Posted work of the windows just closed goes with them.
    QCoreApplication::processEvents();
    WorkDirTest::TearDown();
}

qtpresenter::DialogWindow* QtPresenterTest::Innermost() const
{
    std::vector<qtpresenter::DialogWindow*> windows = m_presenter->OpenWindows();
    return windows.empty() ? nullptr : windows.back();
}

UserScript::UserScript(int timeLimitMs) : m_timeLimitMs(timeLimitMs)
{
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
}

UserScript::~UserScript() = default;

UserScript& UserScript::Then(std::string what, Step step)
{
    m_steps.emplace_back(std::move(what), std::move(step));
    return *this;
}

void UserScript::Start() { m_timer.start(); }

void UserScript::Fail(const std::string& what)
{
    if (!m_failure.empty()) m_failure += "; ";
    m_failure += what;
}

void UserScript::Poll()
{
    if (m_givingUp) {
        GiveUp();
        return;
    }
    m_elapsedMs += m_timer.interval();
    if (m_next < m_steps.size()) {
        if (m_steps[m_next].second()) {
            ++m_next;
            m_elapsedMs = 0;
        } else if (m_elapsedMs > m_timeLimitMs) {
            Fail("never got to: " + m_steps[m_next].first);
            m_givingUp = true;
        }
    }
    if (m_next == m_steps.size() && !m_givingUp) m_timer.stop();
}

void UserScript::GiveUp()
{
    // Close whatever is modal, innermost first, until nothing is.
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* window = dynamic_cast<qtpresenter::DialogWindow*>(modal)) {
        window->Dialog().EndDialog(IDCANCEL);
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else if (modal == nullptr) {
        m_timer.stop();
    }
}

qtpresenter::DialogWindow* InnermostDialog(qtpresenter::QtPresenter& presenter, const char* caption)
{
    std::vector<qtpresenter::DialogWindow*> windows = presenter.OpenWindows();
    if (windows.empty() || !presenter.IsInnermost(windows.back())) return nullptr;
    qtpresenter::DialogWindow* window = windows.back();
    if (!window->isVisible() || window->windowTitle() != QString::fromLatin1(caption)) return nullptr;
    return window;
}

bool ChooseMenu(qtpresenter::DialogWindow& window, const std::vector<QString>& path)
{
    QMenuBar* bar = window.MenuBar();
    if (bar == nullptr || path.empty()) return false;
    QList<QAction*> actions = bar->actions();
    for (size_t level = 0; level < path.size(); ++level) {
        QAction* found = nullptr;
        for (QAction* action : actions)
            if (action->text() == path[level]) found = action;
        if (found == nullptr || !found->isEnabled()) return false;
        if (level + 1 == path.size()) {
            found->trigger();
            return true;
        }
        if (found->menu() == nullptr) return false;
        actions = found->menu()->actions();
    }
    return false;
}

void PressKey(QWidget& window, int key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = window.focusWidget() ? window.focusWidget() : &window;
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

bool ClickItem(QAbstractItemView& view, const QModelIndex& index)
{
    if (!index.isValid()) return false;
    view.scrollTo(index);
    QRect place = view.visualRect(index);
    if (place.isEmpty()) return false;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
    return true;
}

void TypeText(QWidget& widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(&widget, QString(c));
            continue;
        }
        // Keys beyond ASCII, as a keyboard with them sends them.
        int key = c.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &press);
        QApplication::sendEvent(&widget, &release);
    }
}

} // namespace travik::test

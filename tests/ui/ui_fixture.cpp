#include "ui_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "ui/file_dialog.h"

namespace norvik::test {
namespace {

// One QApplication for the whole test program, on the offscreen platform.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = new QApplication(argc_, argv_);
    }
    void TearDown() override { delete app_; }

  private:
    int argc_ = 1;
    char name_[8] = "test_ui";
    char* argv_[2] = {name_, nullptr};
    QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void UiTest::SetUp() {
    SessionFixture::SetUp();
    Sql("CREATE TABLE kunden (nr INTEGER, name TEXT, ort TEXT, land TEXT, angelegt TEXT)");
    Sql("INSERT INTO kunden VALUES (1, 'Adler', 'Hamburg', 'D', '2024-01-10'),"
        " (2, 'Berg', 'Berlin', 'D', '2025-03-01'), (3, 'Cordes', 'Wien', 'A', '2025-06-30'),"
        " (4, 'Dorn', 'Berlin', 'D', '2026-02-14')");
    std::filesystem::create_directories(outFolder());
    // The dialogs' definitions: Kunden with parameters and criteria, Artikel without.
    for (const std::string name : {"KUNDEN.EXP", "ARTIKEL.EXP"}) {
        std::string text = ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/ui/cases/" + name);
        text.replace(text.find("{OUT}"), 5, outFolder());
        WriteBytes(exportPath() + name, DefinitionBytes(text));
    }
}

void UiTest::TearDown() {
    // No window of a test may stay open.
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible())
            << widget->metaObject()->className() << " " << widget->windowTitle().toStdString();
    ui::FileDialog::SetChooser({});
    SessionFixture::TearDown();
}

std::unique_ptr<ui::FrmExport> UiTest::OpenExport(const std::string& name) {
    auto dialog = std::make_unique<ui::FrmExport>(nullptr, State(), Services());
    dialog->show();
    const int index = dialog->cboSchema->findText(QString::fromStdString(name));
    EXPECT_GE(index, 0) << name;
    dialog->cboSchema->setCurrentIndex(index);
    emit dialog->cboSchema->activated(index);
    return dialog;
}

std::unique_ptr<ui::FrmExpProgress> UiTest::Progress(ui::FrmExport& dialog) {
    EXPECT_TRUE(dialog.Form().ExportData());
    auto progress = std::make_unique<ui::FrmExpProgress>(&dialog, Services());
    dialog.Form().ShowProgress(progress->Form());
    progress->show();
    return progress;
}

void ExpectDesignedControls(const std::vector<DesignedControl>& controls) {
    std::vector<QWidget*> expectedOrder;
    for (const auto& c : controls) {
        SCOPED_TRACE(c.toolTip);
        EXPECT_EQ(c.widget->isEnabled(), c.enabled);
        EXPECT_EQ(c.widget->toolTip().toStdString(), c.toolTip);
        expectedOrder.push_back(c.widget);
    }
    QWidget* first = expectedOrder.front();
    std::vector<QWidget*> order{first};
    for (QWidget* w = first->nextInFocusChain(); w != first; w = w->nextInFocusChain())
        if (std::find(expectedOrder.begin(), expectedOrder.end(), w) != expectedOrder.end())
            order.push_back(w);
    EXPECT_EQ(order, expectedOrder);
}

bool WhileModal(const std::function<void()>& trigger, const std::function<bool(QWidget*)>& poll,
                int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    bool done = false, timedOut = false, polling = false;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (done) return;
        if (clock.elapsed() > timeoutMs) {
            done = timedOut = true;
            ADD_FAILURE() << "a modal window was still waiting after " << timeoutMs << " ms";
            while (QWidget* modal = QApplication::activeModalWidget()) modal->hide();
            return;
        }
        // A poll may open a window of its own, whose event loop turns this timer again.
        if (polling) return;
        polling = true;
        done = poll(QApplication::activeModalWidget());
        polling = false;
    });
    timer.start();
    trigger();
    timer.stop();
    return !timedOut;
}

}  // namespace norvik::test

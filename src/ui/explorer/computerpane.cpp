#include "computerpane.h"

#include "dirtablemodel.h"
#include "explorertab.h"
#include "pcfolderlisting.h"

#include "../mainwindow.h"
#include "../shell.h"

#include <core/explorer/commandrules.h>
#include <core/explorer/drives.h>
#include <core/explorer/pcpath.h>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTableView>

namespace vandrel::ui {

using explorer::DirEntry;

namespace {

// Item data of the drive box: a volume's root, or one of the two user folders.
const QString kDesktopItem = QStringLiteral("<desktop>");
const QString kDocumentsItem = QStringLiteral("<documents>");

QString userFolder(const QString &item)
{
    const auto where = item == kDesktopItem ? QStandardPaths::DesktopLocation : QStandardPaths::DocumentsLocation;
    const QString path = QStandardPaths::writableLocation(where);
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QString();
}

} // namespace

ComputerPane::ComputerPane(MainWindow &window, ExplorerTab &tab, Widgets widgets)
    : QObject(&tab), m_window(window), m_tab(tab), m_w(widgets)
{
    connect(m_w.root, &QPushButton::clicked, this, &ComputerPane::goToRoot);
    connect(m_w.up, &QPushButton::clicked, this, &ComputerPane::goUp);
    connect(m_w.view, &QTableView::doubleClicked, this, &ComputerPane::openCurrentRow);
    connect(m_w.drives, &QComboBox::activated, this, &ComputerPane::selectDrive);
}

void ComputerPane::setPath(const QString &path)
{
    m_path = path.isEmpty() ? QString() : explorer::withTrailingSeparator(path);
}

bool ComputerPane::atRoot() const { return explorer::isPcRoot(m_path); }

void ComputerPane::list(const QString &path)
{
    const explorer::PcTarget target = explorer::resolvePcPath(path);
    m_path = target.folder;
    m_window.appSettings().cesta = m_path;
    const bool root = explorer::isPcRoot(m_path) || QDir(m_path).isRoot();
    m_w.root->setEnabled(!root);
    m_w.up->setEnabled(!root);

    QList<DirEntry> rows = computerFolderRows(m_path);
    explorer::sortRows(rows);
    m_w.model->setRows(std::move(rows), m_path);
    m_w.pathBar->setText(QDir::toNativeSeparators(m_path));
    m_tab.activateComputerPane();
    const int back = target.returnName.isEmpty() ? -1 : m_w.model->rowOf(DirEntry::folder(target.returnName).caption());
    selectViewRow(m_w.view, back >= 0 ? back : 0);
    m_tab.relayout();
}

void ComputerPane::goToRoot() { list(QDir::rootPath()); }

void ComputerPane::goUp() { list(m_path + QStringLiteral("..")); }

void ComputerPane::openCurrentRow()
{
    if (m_w.model->rowCount() == 0)
        return;
    QModelIndex current = m_w.view->currentIndex();
    if (!m_w.view->selectionModel()->hasSelection() || !current.isValid()) {
        selectViewRow(m_w.view, 0);
        current = m_w.view->currentIndex();
    }
    const DirEntry *e = m_w.model->entry(current.row());
    if (!e)
        return;
    if (e->isFolder)
        list(m_path + e->name);
    else
        openWithShell(m_path + e->name, &m_window);
    m_tab.relayout();
}

void ComputerPane::fillDriveBox()
{
    int remembered = m_w.drives->currentIndex();
    m_w.drives->clear();
    bool pathFromDrive = false;
    QList<explorer::Volume> volumes;
    for (const QStorageInfo &s : QStorageInfo::mountedVolumes()) {
        if (s.isValid())
            volumes.append({s.rootPath(), QString::fromUtf8(s.fileSystemType()), QString::fromUtf8(s.device())});
    }
    for (const explorer::Volume &v : explorer::listedVolumes(volumes)) {
        const explorer::DriveType type = explorer::driveTypeOf(v);
        m_w.drives->addItem(explorer::driveItemText(v.rootPath, m_window.message(explorer::driveTypeMessage(type))),
                            v.rootPath);
        if (type == explorer::DriveType::Fixed) {
            if (m_path.isEmpty()) {
                m_path = explorer::withTrailingSeparator(v.rootPath);
                pathFromDrive = true;
            }
            if (remembered < 0)
                remembered = m_w.drives->count() - 1;
        }
    }
    m_w.drives->addItem(m_window.message(Msg::DriveDesktop, QStringLiteral("Plocha")), kDesktopItem);
    m_w.drives->addItem(m_window.message(Msg::DriveDocuments, QStringLiteral("Dokumenty")), kDocumentsItem);
    m_w.drives->setCurrentIndex(qMin(remembered, m_w.drives->count() - 1));
    if (pathFromDrive)
        selectDrive(m_w.drives->currentIndex());
}

void ComputerPane::selectDrive(int index)
{
    const QString item = m_w.drives->itemData(index).toString();
    QString path;
    if (item == kDesktopItem || item == kDocumentsItem) {
        path = userFolder(item);
        if (path.isEmpty())
            return; // no such folder on this desktop: nothing changes
    } else if (!item.isEmpty()) {
        path = item;
    } else {
        return;
    }
    m_path = explorer::withTrailingSeparator(path);
    updateFreeSpace();
    list(m_path);
}

void ComputerPane::updateFreeSpace(bool rounded)
{
    const QStorageInfo drive(m_path.isEmpty() ? QDir::rootPath() : m_path);
    if (!drive.isValid() || drive.bytesAvailable() < 0 || drive.bytesTotal() < 0) {
        m_w.freeLabel->clear();
        return;
    }
    m_w.freeLabel->setText(explorer::freeSpaceLabel(m_window.message(Msg::FreeSpaceWord, QStringLiteral("Volno: ")),
                                                    drive.bytesAvailable(),
                                                    m_window.message(Msg::TotalSpaceWord, QStringLiteral("Celkem: ")),
                                                    drive.bytesTotal(), rounded));
}

} // namespace vandrel::ui

#include "system_section.h"

#include <memory>
#include <string>
#include <tuple>

#include "shell/processes.h"
#include "shell/windows_version.h"
#include "status_line.h"
#include "tree/string_tree.h"
#include "tree/tree_columns.h"
#include "tree/tree_header.h"

using namespace tree;

namespace {

String MachineText() {
  const shell::TOsVersion version = shell::ReadOsVersion();
  return L"Windows " + std::to_wstring(version.MajorVersion) + L"." + std::to_wstring(version.MinorVersion) +
         L" (build " + std::to_wstring(version.BuildNumber) + L"), " + std::to_wstring(shell::ProcessorCount) +
         L" processors, pages of " + std::to_wstring(shell::PageSize / 1024) + L" KB";
}

// The running processes by name and number, read once when the list is made.
class TProcessList : public TStringTree {
  BC_CLASS(TProcessList, TStringTree)
  explicit TProcessList(TComponent* owner) : TStringTree(owner) {
    shell::RunningProcessesList(processes_, false);
    for (auto [caption, width, alignment] : {std::tuple{L"Process", 420, TAlignment::taLeftJustify},
                                             std::tuple{L"Number", 120, TAlignment::taRightJustify}}) {
      TTreeColumn* column = Header()->Columns()->Add();
      column->SetText(caption);
      // The list has no handler of its columns' sizes yet.
      (void)column->SetWidth(width);
      column->SetAlignment(alignment);
    }
    // No column is sized to fit: showing the header raises nothing.
    (void)Header()->SetOptions(Header()->Options() + TTreeHeaderOption::hoVisible);
    TreeOptions()->SetPaintOptions(TreeOptions()->PaintOptions() - TTreePaintOption::toShowRoot -
                                   TTreePaintOption::toShowTreeLines - TTreePaintOption::toShowButtons);
    // A new list has no selection to empty.
    (void)TreeOptions()->SetSelectionOptions({TTreeSelectionOption::toFullRowSelect});
    OnGetText = [this](TBaseTree*, PTreeNode node, TColumnIndex column, TVSTTextType, String& text) {
      const shell::TRunningProcess& process = processes_[node->Index];
      text = column <= 0 ? process.Name : std::to_wstring(process.ProcessId);
    };
  }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(processes_.size()); }

 private:
  shell::TRunningProcesses processes_;
};

}  // namespace

int BuildSystemSection(TWinControl* host) {
  auto* machine = new TStatusLine(host);
  if (machine->SetBounds(2, 6, 596, 22).Gone() || machine->ShowText(MachineText()).Gone() ||
      machine->SetParent(host).Gone())
    return 0;
  auto* list = new TProcessList(host);
  if (list->SetBounds(10, 32, 580, 160).Gone() || list->SetParent(host).Gone()) return 0;
  if (list->SetRootNodeCount(list->Count()).Gone()) return 0;
  return 200;
}

#pragma once
// WordSession: Microsoft Word ("Word.Application") driven through IDispatch for the
// statistics run.
#include <windows.h>

#include <optional>
#include <string>

#include "common/com.h"
#include "stats/word_automation.h"

namespace brivanta {

// Members of Word's object model that are called by number.
namespace word_dispid {
constexpr DISPID kVisible = 0x17;         // Application.Visible
constexpr DISPID kDocuments = 6;          // Application.Documents
constexpr DISPID kDisplayAlerts = 0x5E;   // Application.DisplayAlerts
constexpr DISPID kOpen = 15;              // Documents.Open (the hidden Open2000 member)
constexpr DISPID kCloseOrQuit = 0x451;    // Document.Close, Application.Quit
}  // namespace word_dispid

constexpr LONG kWdAlertsNone = 0;                // WdAlertLevel
constexpr LONG kMsoAutomationSecurityForceDisable = 3;
constexpr LONG kWdNumberOfPagesInDocument = 4;   // WdInformation
constexpr LONG kWdStatisticWords = 0;            // WdStatistic
constexpr LONG kWdDoNotSaveChanges = 0;          // WdSaveOptions

// The page text of a "Selection.Information" answer: a string as is, anything else
// through VariantChangeType; no value when that fails or the text is empty.
std::optional<std::string> PageTextFromVariant(const Variant& value);
// The word count of a "ComputeStatistics" answer, as a double; no value when it
// cannot be taken as a number.
std::optional<double> WordCountFromVariant(const Variant& value);

class WordSession : public WordAutomation {
 public:
  WordSession() = default;
  ~WordSession() override;  // quits Word if it is still held
  WordSession(const WordSession&) = delete;
  WordSession& operator=(const WordSession&) = delete;

  bool StartWord() override;
  WordCall HideWord() override;
  WordCall DisableMacros() override;
  WordCall SuppressAlerts() override;
  WordCall BindDocuments() override;
  WordCall OpenWordDocument(const std::string& path) override;
  WordCall ReadPageText(std::optional<std::string>& text) override;
  WordCall ReadWordCount(std::optional<double>& count) override;
  WordCall CloseWordDocument() override;
  void QuitWord() override;

 private:
  // Remembers when Word went away, so that later calls fail quickly.
  WordCall Outcome(const InvokeResult& result);
  WordCall ReadThrough(const wchar_t* objectName, const wchar_t* member, LONG argument,
                       Variant& answer);
  void ReleaseAll();

  ComPtr<IDispatch> wordProgram_;    // Word程序
  ComPtr<IDispatch> wordDocuments_;  // Word文档集
  ComPtr<IDispatch> document_;       // the document opened last
  bool gone_ = false;
};

}  // namespace brivanta

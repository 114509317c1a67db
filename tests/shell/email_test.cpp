#include "shell/email.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/exceptions.h"
#include "framework/sys_utils.h"
#include "framework/text_convert.h"
#include "mail_client_fixture.h"
#include "shell/file_routines.h"
#include "shell/system_errors.h"
#include "support/host_files.h"
#include "support/hostile_input.h"
#include "support/temp_folder.h"

using namespace shell;

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

class EmailSending : public TMailClientTest {
 protected:
  void SetUp() override {
    TMailClientTest::SetUp();
    parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    RenewEmail();
  }
  void TearDown() override {
    email_.reset();
    DestroyWindow(parent_);
    TMailClientTest::TearDown();
  }

  // A mail through the recording client, with the test's parent window.
  void RenewEmail() {
    email_ = std::make_unique<TLibEmail>();
    email_->SetClientConnectKind(ccAlwaysClientLibrary);
    email_->SetParentWnd(parent_);
    email_->SetParentWndValid(true);
  }
  std::string Header(const char* call, FLAGS flags) const {
    return std::string(call) + " session=" + std::to_string(email_->SessionHandle()) +
           " parent=" + std::to_string(reinterpret_cast<ULONG_PTR>(parent_)) + " flags=" + std::to_string(flags) +
           " reserved=0";
  }
  // The log with the folders of the test in place of {dir} and {temp}, and the charset declaration of an HTML
  // body in place of {charset}.
  std::string Expected(const std::string& pattern) const {
    const std::string charset = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";
    return Replaced(
        Replaced(Replaced(pattern, "{dir}", WideToUtf8(folder_.Path())), "{temp}", WideToUtf8(GetWindowsTempFolder())),
        "{charset}", charset);
  }
  // Selects a client by its key name.
  void UseClient(TLibEmail& mail, const wchar_t* client) {
    for (int i = 0; i < static_cast<int>(mail.Clients().size()); ++i)
      if (mail.Clients()[i].RegKeyName == client) mail.SetSelectedClientIndex(i);
  }
  void ExpectMapiError(const std::function<void()>& call, ULONG code, const std::string& text) {
    try {
      call();
      ADD_FAILURE() << "no error for code " << code;
    } catch (const ELibMapiError& error) {
      EXPECT_EQ(error.ErrorCode(), code);
      EXPECT_EQ(WideToUtf8(error.Message()), text);
    }
  }

  // A file whose path is longer than MAX_PATH, two folders deep in the test's folder.
  String LongPathFile(const std::string& contents) const {
    String path = folder_.Path();
    for (const wchar_t part : {L'd', L'e'}) {
      path += L"\\" + String(100, part);
      CreateDirectoryW(IncludeLongPathPrefix(path).c_str(), nullptr);
    }
    const String file = path + L"\\" + String(60, L'f') + L".txt";
    StringToFile(IncludeLongPathPrefix(file), contents);
    return file;
  }

  TTempFolder folder_;
  HWND parent_ = nullptr;
  std::unique_ptr<TLibEmail> email_;
};

struct TSendCase {
  const char* Name;
  std::function<void(TLibEmail&, const TTempFolder&)> Compose;
  bool ShowDialog;
  FLAGS Flags;
  const char* Message;  // the log after the call's own line
};

const TSendCase kSendCases[] = {
    {"hand-off mail",
     [](TLibEmail& mail, const TTempFolder& folder) {
       mail.Clear();
       mail.SetSubject(L"Report");
       mail.SetBody(L"Hello");
       mail.Recipients().Add(L"  ann@example.org ", L"", MAPI_TO, L"");
       StringToFile(folder.File(L"a.txt"), "alpha");
       mail.Attachments().Add(folder.File(L"a.txt"));
     },
     true, MAPI_LOGON_UI | MAPI_DIALOG,
     "subject \"Report\"\nnote \"Hello\r\n\"\nrecip 1 \"ann@example.org\" \"SMTP:ann@example.org\"\n"
     "file -1 \"{dir}\\a.txt\" nil\ncontent \"alpha\"\n"},
    {"name without an address",
     [](TLibEmail& mail, const TTempFolder&) { mail.Recipients().Add(L"", L"Bob", MAPI_TO, L""); }, false,
     MAPI_LOGON_UI, "subject \"\"\nnote \"\"\nrecip 1 \"Bob\" \"SMTP:\"\n"},
    {"own address types and recipient classes",
     [](TLibEmail& mail, const TTempFolder&) {
       mail.Recipients().Add(L"x@y.example", L"X", MAPI_CC, L"EX");
       mail.Recipients().Add(L"z@w.example", L"Z", MAPI_BCC, L"");
       mail.Recipients().Add(L"o@w.example", L"O", MAPI_ORIG, L"");
     },
     false, MAPI_LOGON_UI,
     "subject \"\"\nnote \"\"\nrecip 2 \"X\" \"EX:x@y.example\"\nrecip 3 \"Z\" \"SMTP:z@w.example\"\n"
     "recip 0 \"O\" \"SMTP:o@w.example\"\n"},
    {"no address type in the list",
     [](TLibEmail& mail, const TTempFolder&) {
       mail.Recipients().SetAddressesType(L"");
       mail.Recipients().Add(L"a@b.example", L"A", MAPI_TO, L"");
       mail.Recipients().Add(L"", L"N", MAPI_TO, L"");
     },
     false, MAPI_LOGON_UI, "subject \"\"\nnote \"\"\nrecip 1 \"A\" \"a@b.example\"\nrecip 1 \"N\" nil\n"},
    {"compose dialog with no recipients", [](TLibEmail& mail, const TTempFolder&) { mail.SetSubject(L"S"); }, true,
     MAPI_LOGON_UI | MAPI_DIALOG, "subject \"S\"\nnote \"\"\n"},
    {"HTML body as the first attachment",
     [](TLibEmail& mail, const TTempFolder& folder) {
       mail.SetHtmlBody(true);
       mail.SetBody(L"<p>Hi</p>");
       mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
       StringToFile(folder.File(L"b.txt"), "beta");
       mail.Attachments().Add(folder.File(L"b.txt"));
     },
     true, MAPI_LOGON_UI | MAPI_DIALOG,
     "subject \"\"\nnote \"\"\nrecip 1 \"a@b.example\" \"SMTP:a@b.example\"\n"
     "file -1 \"{temp}\\LibMapi.htm\" nil\ncontent \"{charset}<p>Hi</p>\r\n\"\nfile -1 \"{dir}\\b.txt\" nil\ncontent "
     "\"beta\"\n"},
    {"an attachment named with the prefix that lifts the length limit",
     [](TLibEmail& mail, const TTempFolder& folder) {
       mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
       StringToFile(folder.File(L"d.txt"), "delta");
       mail.Attachments().Add(L"\\\\?\\" + folder.File(L"d.txt"));
     },
     false, MAPI_LOGON_UI,
     "subject \"\"\nnote \"\"\nrecip 1 \"a@b.example\" \"SMTP:a@b.example\"\n"
     "file -1 \"\\\\?\\{dir}\\d.txt\" nil\ncontent \"delta\"\n"},
    {"every logon option without a session",
     [](TLibEmail& mail, const TTempFolder&) {
       mail.SetLogonOptions({TLibEmailLogonOption::loLogonUI, TLibEmailLogonOption::loNewSession,
                             TLibEmailLogonOption::loForceDownload});
     },
     true, MAPI_LOGON_UI | MAPI_NEW_SESSION | MAPI_FORCE_DOWNLOAD | MAPI_DIALOG, "subject \"\"\nnote \"\"\n"},
    {"a session needs no logon",
     [](TLibEmail& mail, const TTempFolder&) {
       mail.SetSessionHandle(42);
       mail.SetLogonOptions({TLibEmailLogonOption::loNewSession});
     },
     true, MAPI_DIALOG, "subject \"\"\nnote \"\"\n"},
};

TEST_F(EmailSending, ClientReceivesWhatWasComposed) {
  const std::pair<const wchar_t*, const char*> clients[] = {{kRecordingClient, "MAPISendMailW"},
                                                            {kAnsiClient, "MAPISendMail"}};
  for (const auto& [client, call] : clients) {
    for (const TSendCase& test : kSendCases) {
      SCOPED_TRACE(std::string(call) + ": " + test.Name);
      RenewEmail();
      UseClient(*email_, client);
      test.Compose(*email_, folder_);
      ResetRecorder();
      EXPECT_TRUE(email_->Send(test.ShowDialog));
      EXPECT_EQ(RecordedCalls(), Header(call, test.Flags) + "\n" + Expected(test.Message));
      EXPECT_FALSE(shell::FileExists(GetWindowsTempFolder() + L"\\LibMapi.htm")) << "the HTML file is removed";
    }
  }
}

// Texts the ANSI code page cannot spell reach a client with the Unicode send intact; a client without it still
// gets an attachment it can open, named by its short path.
TEST_F(EmailSending, TextsOutsideTheCodePage) {
  const String subject = L"Caf\u00e9 \u03a9mega \u65e5\u672c";
  const String file = folder_.File(L"\u65e5\u672c \u0416.txt");
  StringToFile(file, "nihon");
  auto compose = [&](const wchar_t* client) {
    RenewEmail();
    UseClient(*email_, client);
    email_->SetSubject(subject);
    email_->Recipients().Add(L"bob@example.org", L"Bob \u0416", MAPI_TO, L"");
    email_->Attachments().Add(file);
    ResetRecorder();
  };
  compose(kRecordingClient);
  EXPECT_TRUE(email_->Send(true));
  EXPECT_EQ(RecordedCalls(), Header("MAPISendMailW", MAPI_LOGON_UI | MAPI_DIALOG) + "\nsubject \"" +
                                 WideToUtf8(subject) + "\"\nnote \"\"\nrecip 1 \"" + WideToUtf8(L"Bob \u0416") +
                                 "\" \"SMTP:bob@example.org\"\nfile -1 \"" + WideToUtf8(file) +
                                 "\" nil\ncontent \"nihon\"\n");

  compose(kAnsiClient);
  EXPECT_TRUE(email_->Send(true));
  const std::string calls = RecordedCalls();
  const size_t line = calls.find("file -1 ");
  ASSERT_NE(line, std::string::npos) << calls;
  EXPECT_EQ(calls.substr(calls.find('\n', line) + 1), "content \"nihon\"\n") << calls;
  EXPECT_EQ(calls.find('?', line), std::string::npos) << calls;
}

// A client without the Unicode send opens an attachment by an ANSI name of at most MAX_PATH characters: a longer
// path reaches it by its short form; the Unicode send takes the path as it is.
TEST_F(EmailSending, ALongPathReachesAClientWithoutTheUnicodeSendByItsShortForm) {
  const String file = LongPathFile("nihon");
  ASSERT_GE(file.size(), static_cast<size_t>(MAX_PATH));
  for (const wchar_t* client : {kAnsiClient, kRecordingClient}) {
    RenewEmail();
    UseClient(*email_, client);
    email_->Recipients().Add(L"bob@example.org", L"Bob", MAPI_TO, L"");
    email_->Attachments().Add(file);
    ResetRecorder();
    EXPECT_TRUE(email_->Send(false));
    const std::string calls = RecordedCalls();
    EXPECT_NE(calls.find("content \"nihon\""), std::string::npos) << calls;
    EXPECT_EQ(calls.find("file -1 \"" + WideToUtf8(file) + "\"") != std::string::npos, client == kRecordingClient)
        << calls;
  }
}

// Where the volume keeps no short names (or the system cannot make one), an attachment the ANSI code page cannot
// spell, or whose path is longer than MAX_PATH, has no name a client without the Unicode send could open: it is
// not found, and nothing is sent; the Unicode send takes it as it is.
TEST_F(EmailSending, AnAttachmentNoAnsiNameLeadsToIsNotFound) {
  const String unspelled = folder_.File(L"\u65e5\u672c \u0416.txt");
  StringToFile(unspelled, "nihon");
  const String longPath = LongPathFile("nihon");
  const TShortPathCall longNames = [](const wchar_t* path, wchar_t* shortPath, DWORD size) -> DWORD {
    const DWORD length = static_cast<DWORD>(wcslen(path));
    if (length < size) wcscpy(shortPath, path);
    return length < size ? length : length + 1;
  };
  const TShortPathCall failing = [](const wchar_t*, wchar_t*, DWORD) -> DWORD { return 0; };
  for (const TShortPathCall call : {longNames, failing}) {
    const TShortPathCall previous = SetShortPathCall(call);
    for (const wchar_t* client : {kAnsiClient, kRecordingClient})
      for (const String& file : {unspelled, longPath}) {
        SCOPED_TRACE(WideToUtf8(file));
        RenewEmail();
        UseClient(*email_, client);
        email_->Recipients().Add(L"bob@example.org", L"Bob", MAPI_TO, L"");
        email_->Attachments().Add(file);
        ResetRecorder();
        if (client == kAnsiClient) {
          ExpectMapiError([&] { email_->Send(false); }, MAPI_E_ATTACHMENT_NOT_FOUND,
                          "MAPI Error: (11) \"A specified attachment was not found\"");
          EXPECT_EQ(RecordedCalls().find("MAPISendMail"), std::string::npos) << RecordedCalls();
        } else {
          EXPECT_TRUE(email_->Send(false));
          EXPECT_NE(RecordedCalls().find("content \"nihon\""), std::string::npos) << RecordedCalls();
        }
      }
    SetShortPathCall(previous);
  }
}

TEST_F(EmailSending, AnHtmlBodyIsWrittenInUtf8WithItsCharset) {
  const struct {
    const wchar_t* Body;
    const char* Content;
  } cases[] = {
      {L"\u0416 \u65e5", "{charset}\xD0\x96 \xE6\x97\xA5\r\n"},
      {L"<HTML><Head lang=x><title>t</title></head>", "<HTML><Head lang=x>{charset}<title>t</title></head>\r\n"},
      {L"<header>x</header>", "{charset}<header>x</header>\r\n"},
  };
  for (const auto& test : cases) {
    RenewEmail();
    email_->SetHtmlBody(true);
    email_->SetBody(test.Body);
    ResetRecorder();
    EXPECT_TRUE(email_->Send(true));
    EXPECT_EQ(RecordedCalls(), Expected(Header("MAPISendMailW", MAPI_LOGON_UI | MAPI_DIALOG) +
                                        "\nsubject \"\"\nnote \"\"\nfile -1 \"{temp}\\LibMapi.htm\" nil\n"
                                        "content \"" +
                                        test.Content + "\"\n"));
  }
}

// The mail freed inside the client's call (a caller's misuse), made under the allocation guard so that a touch of
// it afterwards faults: the call returns its result, and the HTML file goes all the same.
TEST_F(EmailSending, TheMailFreedDuringTheClientCall) {
  const struct {
    const char* Name;
    const wchar_t* Client;
    bool Save;
  } cases[] = {
      {"Unicode send", kRecordingClient, false},
      {"ANSI send", kAnsiClient, false},
      {"save", kRecordingClient, true},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Name);
    ResetRecorder(0, "id");
    TGuardedAllocations guard;
    RenewEmail();
    UseClient(*email_, test.Client);
    email_->SetHtmlBody(true);
    email_->SetBody(L"<p>x</p>");
    email_->SetSessionHandle(5);
    DuringClientCall([this] { email_.reset(); });
    EXPECT_TRUE(email_->SaveOrSend(test.Save, true));
    EXPECT_EQ(email_, nullptr);
    EXPECT_FALSE(shell::FileExists(GetWindowsTempFolder() + L"\\LibMapi.htm"));
  }
}

TEST_F(EmailSending, ManyRecipientsLiveUntilTheCallReturns) {
  std::string expected = "subject \"\"\nnote \"\"\n";
  for (int i = 0; i < 60; ++i) {
    email_->Recipients().Add(L"r" + std::to_wstring(i), L"", MAPI_TO, L"");
    expected += "recip 1 \"r" + std::to_string(i) + "\" \"SMTP:r" + std::to_string(i) + "\"\n";
  }
  EXPECT_TRUE(email_->Send(false));
  EXPECT_EQ(RecordedCalls(), Header("MAPISendMailW", MAPI_LOGON_UI) + "\n" + expected);
}

TEST_F(EmailSending, AttachmentsBecomeFullPathsAndTheHtmlFileLeavesThem) {
  StringToFile(folder_.File(L"c.txt"), "gamma");
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(folder_.Path().c_str());
  email_->Attachments().Add(L"c.txt");
  email_->SetHtmlBody(true);
  email_->SetBody(L"x");
  const bool sent = email_->Send(true);
  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(sent);
  ASSERT_EQ(email_->Attachments().Count(), 1);
  EXPECT_EQ(email_->Attachments().Strings(0), folder_.File(L"c.txt"));
}

TEST_F(EmailSending, HtmlFileTakesTheFirstUnusedName) {
  const String taken = GetWindowsTempFolder() + L"\\LibMapi.htm";
  StringToFile(taken, "someone else's");
  email_->SetHtmlBody(true);
  email_->SetBody(L"<b>x</b>");
  for (ULONG result : {0ul, 2ul}) {
    ResetRecorder(result);
    try {
      email_->Send(true);
    } catch (const ELibMapiError&) {
    }
    EXPECT_EQ(RecordedCalls(), Expected(Header("MAPISendMailW", MAPI_LOGON_UI | MAPI_DIALOG) +
                                        "\nsubject \"\"\nnote \"\"\nfile -1 \"{temp}\\LibMapiTemp1.htm\" nil\n"
                                        "content \"{charset}<b>x</b>\r\n\"\n"));
    EXPECT_FALSE(shell::FileExists(GetWindowsTempFolder() + L"\\LibMapiTemp1.htm")) << "result " << result;
    EXPECT_EQ(email_->Attachments().Count(), 0) << "result " << result;
  }
  EXPECT_TRUE(shell::FileExists(taken));
  DeleteFileW(taken.c_str());
}

TEST_F(EmailSending, ClientResultsBecomeResultsOrErrors) {
  const struct {
    ULONG Result;
    bool Sent;
    const char* Error;  // null: no error
  } cases[] = {
      {0, true, nullptr},
      {1, false, nullptr},
      {2, false, "MAPI Error: (2) \"General MAPI failure\""},
      {3, false, "MAPI Error: (3) \"MAPI login failure\""},
      {7, false, "MAPI Error: (7) \"\""},
      {11, false, "MAPI Error: (11) \"A specified attachment was not found\""},
      {21, false, "MAPI Error: (21) \"A recipient was specified ambiguously\""},
      {26, false, "MAPI Error: (26) \"Not supported\""},
      {27, false, "MAPI Error: (27) \"\""},
  };
  email_->Recipients().Add(L"a@b.example", L"A", MAPI_TO, L"");
  for (bool save : {false, true}) {
    for (const auto& test : cases) {
      SCOPED_TRACE(std::to_string(test.Result) + (save ? " save" : " send"));
      ResetRecorder(test.Result, "id");
      if (test.Error)
        ExpectMapiError([&] { email_->SaveOrSend(save, true); }, test.Result, test.Error);
      else
        EXPECT_EQ(email_->SaveOrSend(save, true), test.Sent);
    }
  }
}

TEST_F(EmailSending, FaultsFoundBeforeTheClientIsLoaded) {
  const struct {
    const char* Name;
    std::function<void(TLibEmail&)> Compose;
    bool ShowDialog;
    ULONG Code;
    const char* Error;
  } cases[] = {
      {"no recipients without the dialog", [](TLibEmail&) {}, false, 25, "MAPI Error: (25) \"Invalid recipients\""},
      {"recipient without name and address", [](TLibEmail& mail) { mail.Recipients().Add(L"  ", L"", MAPI_TO, L""); },
       true, 25, "MAPI Error: (25) \"Invalid recipients\""},
      {"missing attachment",
       [](TLibEmail& mail) {
         mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
         mail.Attachments().Add(L"C:\\no\\such\\file.txt");
       },
       true, 11, "MAPI Error: (11) \"A specified attachment was not found\""},
      {"folder as attachment",
       [this](TLibEmail& mail) {
         mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
         mail.Attachments().Add(folder_.Path());
       },
       true, 11, "MAPI Error: (11) \"A specified attachment was not found\""},
      {"wildcards in an attachment's name",
       [this](TLibEmail& mail) {
         StringToFile(folder_.File(L"a.txt"), "a");
         mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
         mail.Attachments().Add(folder_.File(L"a?txt"));
       },
       true, 11, "MAPI Error: (11) \"A specified attachment was not found\""},
      {"a pattern as attachment",
       [this](TLibEmail& mail) {
         StringToFile(folder_.File(L"a.txt"), "a");
         mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
         mail.Attachments().Add(folder_.File(L"*.txt"));
       },
       true, 11, "MAPI Error: (11) \"A specified attachment was not found\""},
  };
  auto expectRefused = [&](const char* name, const std::function<void(TLibEmail&)>& compose, bool showDialog,
                           ULONG code, const char* error) {
    SCOPED_TRACE(name);
    TLibEmail mail;
    mail.SetClientConnectKind(ccAlwaysClientLibrary);
    compose(mail);
    ExpectMapiError([&] { mail.Send(showDialog); }, code, error);
    EXPECT_FALSE(mail.ClientLibLoaded());
    EXPECT_EQ(RecordedCalls(), "");
  };
  for (const auto& test : cases) expectRefused(test.Name, test.Compose, test.ShowDialog, test.Code, test.Error);
  // A device, a pipe or a link to one is no file a client can read to its end (a port never ends), nor is a name a
  // NUL would cut short: whatever the client would get, the attachment is not found.
  StringToFile(folder_.File(L"a.txt"), "a");
  std::vector<String> devices = {L"NUL",
                                 L"nul.txt",
                                 L"CON",
                                 folder_.File(L"Nul .txt"),
                                 L"AUX",
                                 L"COM1",
                                 L"lpt1.txt",
                                 folder_.File(L"COM1.txt"),
                                 L"\\\\.\\COM1",
                                 L"COM1:",
                                 folder_.File(L"a.txt") + String(1, L'\0') + L"junk"};
  const String zeros = folder_.File(L"zeros.txt");
  const String hostPipe = folder_.File(L"pipe.txt");
  ASSERT_TRUE(MakeSymbolicLink(zeros, HostFileName("/dev/zero")));
  const THostPipe made(hostPipe);
  ASSERT_TRUE(made.Made());
  devices.insert(devices.end(), {zeros, hostPipe});
  for (const String& device : devices) {
    expectRefused(
        WideToUtf8(device).c_str(),
        [&](TLibEmail& mail) {
          mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
          mail.Attachments().Add(device);
        },
        false, 11, "MAPI Error: (11) \"A specified attachment was not found\"");
  }
}

TEST_F(EmailSending, ClientLibrariesThatCannotServe) {
  const struct {
    const wchar_t* Client;
    const char* Error;  // null: the system's load error
  } cases[] = {
      {kIncompleteClient, "Function \"MAPIFreeBuffer\" is not exported by client"},
      {kAbsentClient, nullptr},
  };
  for (const auto& test : cases) {
    TLibEmail mail;
    mail.SetClientConnectKind(ccAlwaysClientLibrary);
    UseClient(mail, test.Client);
    mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
    try {
      mail.Send(true);
      ADD_FAILURE() << "sent through " << WideToUtf8(test.Client);
    } catch (const ELibMapiError& error) {
      ASSERT_NE(test.Error, nullptr) << WideToUtf8(error.Message());
      EXPECT_EQ(WideToUtf8(error.Message()), test.Error);
    } catch (const EOSError& error) {
      EXPECT_EQ(test.Error, nullptr) << WideToUtf8(error.Message());
    }
    EXPECT_FALSE(mail.ClientLibLoaded());
    EXPECT_EQ(mail.Functions(TMapiFunction::MAPISendMail), nullptr);
  }
}

TEST_F(EmailSending, NoClientInstalled) {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMailClientsKey);
  TLibEmail mail;
  mail.Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
  try {
    mail.Send(true);
    ADD_FAILURE() << "sent without a client";
  } catch (const ELibMapiError& error) {
    EXPECT_EQ(error.Message(), L"No Simple MAPI client installed, cannot send the message");
  }
}

TEST_F(EmailSending, SaveHandsOverAndTakesBackTheMessageId) {
  const std::string longId(600, 'x');
  const struct {
    std::string Sample;
    std::string Reply;
    std::string SeedSeen;
    std::string Kept;
  } cases[] = {
      {"", "new-id", "\"\"", "new-id"},
      {"sample", "other", "\"sample\"", "other"},
      {longId, longId, std::string("\"").append(longId, 0, 512).append("\""), longId.substr(0, 512)},
  };
  email_->Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
  for (const auto& test : cases) {
    ResetRecorder(0, test.Reply);
    email_->SetSeedMessageID(AnsiToWide(test.Sample));
    EXPECT_TRUE(email_->SaveOrSend(true, false));
    EXPECT_EQ(RecordedCalls().substr(0, RecordedCalls().find('\n')),
              Header("MAPISaveMail", MAPI_LOGON_UI) + " id=" + test.SeedSeen);
    EXPECT_EQ(WideToAnsi(email_->SeedMessageID()), test.Kept);
  }
}

TEST_F(EmailSending, DefaultParentIsTheMainWindowOfThisProcess) {
  HWND main = CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                              nullptr, nullptr);
  email_->SetParentWndValid(false);
  EXPECT_EQ(email_->GetParentWnd(), main);
  email_->SetParentWndValid(true);
  EXPECT_EQ(email_->GetParentWnd(), parent_);
  DestroyWindow(main);
}

TEST_F(EmailSending, UnloadingLogsOffTheSession) {
  int notices = 0;
  TLibEmail* const mail = email_.get();
  email_->SetOnBeforeUnloadClient([&notices, mail](TObject* sender) {
    EXPECT_EQ(sender, mail);
    ++notices;
  });
  EXPECT_TRUE(email_->UnloadClientLib().Alive());
  EXPECT_EQ(notices, 0) << "nothing loaded, nothing to announce";

  email_->Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
  email_->Send(false);
  email_->SetSessionHandle(77);
  const std::string expected = Header("MAPILogoff", 0) + "\n";
  ResetRecorder();
  EXPECT_TRUE(email_->UnloadClientLib().Alive());
  EXPECT_EQ(RecordedCalls(), expected);
  EXPECT_EQ(email_->SessionHandle(), 0u);
  EXPECT_EQ(notices, 1);
  EXPECT_FALSE(email_->ClientLibLoaded());

  // A session the caller set before any send: the log-off loads the library it needs.
  email_->SetSessionHandle(78);
  const std::string early = Header("MAPILogoff", 0) + "\n";
  ResetRecorder();
  email_->LogOff();
  EXPECT_EQ(RecordedCalls(), early);
  EXPECT_EQ(email_->SessionHandle(), 0u);
}

TEST_F(EmailSending, FreeingTheMailLogsOffEvenWhenTheClientFails) {
  for (ULONG result : {0ul, 2ul}) {
    email_->Recipients().Add(L"a@b.example", L"", MAPI_TO, L"");
    email_->Send(false);
    email_->SetSessionHandle(9);
    ResetRecorder(result);
    const std::string expected = Header("MAPILogoff", 0) + "\n";
    email_.reset();
    EXPECT_EQ(RecordedCalls(), expected) << "result " << result;
    RenewEmail();
  }
}

TEST(EmailComposing, BodyRecipientsAndClear) {
  const struct {
    const wchar_t* Value;
    const wchar_t* Stored;
  } bodies[] = {{L"", L""}, {L"Hi", L"Hi\r\n"}, {L"Hi\r\n", L"Hi\r\n"}, {L"Hi\n", L"Hi\n\r\n"}, {L"\r", L"\r\r\n"}};
  TLibEmail mail;
  for (const auto& body : bodies) {
    mail.SetBody(body.Value);
    EXPECT_EQ(mail.Body(), body.Stored);
  }
  EXPECT_EQ(mail.Recipients().AddressesType(), L"SMTP");
  EXPECT_EQ(mail.LogonOptions(), TLibEmailLogonOptions{TLibEmailLogonOption::loLogonUI});
  EXPECT_EQ(mail.Recipients().Add(L" \tx@y.example  ", L"X", MAPI_CC, L"EX"), 0);
  EXPECT_EQ(mail.Recipients().Items(0)->Address(), L"x@y.example");
  mail.SetSubject(L"s");
  mail.Attachments().Add(L"a");
  mail.Clear();
  EXPECT_EQ(mail.Body(), L"");
  EXPECT_EQ(mail.Subject(), L"");
  EXPECT_EQ(mail.Recipients().Count(), 0);
  EXPECT_EQ(mail.Attachments().Count(), 0);
}

}  // namespace

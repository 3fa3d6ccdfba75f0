// liverto-stub: a small stand-in for the consolidated-list server "Ливерто".
//
// Answers GET /<app>/GetList?user=&pass=&regNum=&year=&quarter=[&collect=] from a directory of
// Perechen files. A "Перечень" element matches a query when its "Предприятие"/"РегНомер" equals
// regNum, its "ОтчетныйГод" equals year and its "ОтчетныйПериод" (absent, empty or "0" = 12)
// divided by 3 equals quarter; the first match in file-name order (and document order within a
// file) is sent back inside a reply document together with "ВерсияПК". A file whose root element is
// the Perechen, in UTF-8, is sent as its bytes are, as a server streams a stored document; it is
// read once per version of the file (well-formed or not, and what the query is matched against),
// any other file is parsed and its matching element written out again. "collect" is logged and
// otherwise not used. No match gives the "nothing found" reply; wrong credentials or parameters
// give an error reply. The directory is read again for every query.
//
// --close-after BYTES sends that many bytes of a reply and then closes the connection.
// --cut-reply BYTES sends a complete response whose document is only the first BYTES of the reply.
// --append-blanks N and --append TEXT follow every reply's document with N spaces, then TEXT (before
// any cut). --redirect BASE answers a query with a redirect to BASE followed by the query's own path
// and "&redirected=1"; a query that has it is answered (BASE empty: the same server).
//
// Every query is logged to standard output as one line "GET <path>?<query>" before it is answered.
// The first line of output is "listening on 127.0.0.1:<port>".
#include <httplib.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlsave.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kNothingFound[] = "По запрашиваемым параметрам ничего найдено не было";

struct TOptions {
  fs::path Dir;
  int Port = 0;
  std::string App;  // empty: any application name
  std::optional<std::string> User;
  std::optional<std::string> Pass;
  std::string Version = "stub-1.0";
  int FailStatus = 0;  // answer every query with this HTTP status
  bool Help = false;
  bool Close = false;    // close the connection in the middle of every reply
  int CloseAfter = -1;   // send only this many bytes of every reply body, then close the connection
  int CutReply = -1;     // answer with only this many bytes of every reply, its length announced as that
  int DelayMs = 0;       // wait before answering
  int AppendBlanks = 0;  // spaces after every reply's document
  std::string Append;    // text after those
  std::optional<std::string> Redirect;
  std::optional<std::string> ErrorMessage;  // answer every query with an error reply
  std::optional<std::string> ErrorExplanation;
};

void Usage(std::ostream& out) {
  out << "usage: liverto-stub --dir DIR [--port N] [--app NAME] [--user U] [--pass P] [--version V]\n"
         "                    [--fail-status CODE] [--close] [--close-after BYTES] [--cut-reply BYTES]\n"
         "                    [--delay-ms N] [--append-blanks N] [--append TEXT] [--redirect BASE]\n"
         "                    [--error-message TEXT [--error-explanation TEXT]]\n"
         "       liverto-stub --help\n"
         "  --port 0 (the default) picks a free port; the first output line names it.\n";
}

bool ParseInt(const std::string& text, int& value) {
  try {
    size_t used = 0;
    value = std::stoi(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

std::optional<TOptions> ParseOptions(int argc, char** argv) {
  TOptions o;
  bool haveDir = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--dir" && value(v)) {
      o.Dir = v;
      haveDir = true;
    } else if (a == "--port" && value(v) && ParseInt(v, o.Port) && o.Port >= 0 && o.Port < 65536) {
    } else if (a == "--app" && value(v)) {
      o.App = v;
    } else if (a == "--user" && value(v)) {
      o.User = v;
    } else if (a == "--pass" && value(v)) {
      o.Pass = v;
    } else if (a == "--version" && value(v)) {
      o.Version = v;
    } else if (a == "--fail-status" && value(v) && ParseInt(v, o.FailStatus) && o.FailStatus >= 100 &&
               o.FailStatus < 600) {
    } else if (a == "--help" || a == "-h") {
      o.Help = true;
    } else if (a == "--close") {
      o.Close = true;
    } else if (a == "--close-after" && value(v) && ParseInt(v, o.CloseAfter) && o.CloseAfter >= 0) {
    } else if (a == "--cut-reply" && value(v) && ParseInt(v, o.CutReply) && o.CutReply >= 0) {
    } else if (a == "--delay-ms" && value(v) && ParseInt(v, o.DelayMs) && o.DelayMs >= 0) {
    } else if (a == "--append-blanks" && value(v) && ParseInt(v, o.AppendBlanks) && o.AppendBlanks >= 0) {
    } else if (a == "--append" && value(v)) {
      o.Append = v;
    } else if (a == "--redirect" && value(v)) {
      o.Redirect = v;
    } else if (a == "--error-message" && value(v)) {
      o.ErrorMessage = v;
    } else if (a == "--error-explanation" && value(v)) {
      o.ErrorExplanation = v;
    } else {
      std::cerr << "liverto-stub: bad argument " << a << "\n";
      return std::nullopt;
    }
  }
  if (!haveDir && !o.Help) return std::nullopt;
  return o;
}

std::mutex gOutput;

void Log(const std::string& line) {
  std::lock_guard<std::mutex> lock(gOutput);
  std::cout << line << std::endl;  // flushed: tests read the lines while the stub runs
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Reply(const std::string& inner) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ОтветЛиверто>\n" + inner + "</ОтветЛиверто>\n";
}

std::string MessageReply(const std::string& version, const std::string& message,
                         const std::optional<std::string>& explanation) {
  std::string inner =
      "<ОсновноеСообщение>" + Escape(message) + "</ОсновноеСообщение>\n<ВерсияПК>" + Escape(version) + "</ВерсияПК>\n";
  if (explanation) inner += "<Пояснение>" + Escape(*explanation) + "</Пояснение>\n";
  return Reply(inner);
}

std::string Attr(xmlNode* node, const char* name) {
  xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

bool IsElement(const xmlNode* n, const char* name) {
  return n->type == XML_ELEMENT_NODE && n->name && std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

void CollectLists(xmlNode* node, std::vector<xmlNode*>& out) {
  for (xmlNode* n = node; n; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (IsElement(n, "Перечень"))
      out.push_back(n);
    else
      CollectLists(n->children, out);
  }
}

bool Matches(xmlNode* list, const std::string& regNum, int year, int quarter) {
  xmlNode* enterprise = nullptr;
  for (xmlNode* c = list->children; c; c = c->next)
    if (IsElement(c, "Предприятие")) {
      enterprise = c;
      break;
    }
  if (!enterprise || Attr(enterprise, "РегНомер") != regNum) return false;
  int listYear = 0;
  if (!ParseInt(Attr(list, "ОтчетныйГод"), listYear) || listYear != year) return false;
  std::string months = Attr(list, "ОтчетныйПериод");
  if (months.empty() || months == "0") months = "12";
  int m = 0;
  return ParseInt(months, m) && m / 3 == quarter;
}

std::string Serialize(xmlDoc* doc, xmlNode* node) {
  xmlBuffer* buffer = xmlBufferCreate();
  xmlOutputBuffer* out = xmlOutputBufferCreateBuffer(buffer, nullptr);
  xmlNodeDumpOutput(out, doc, node, 0, 0, "UTF-8");
  xmlOutputBufferClose(out);
  std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
  xmlBufferFree(buffer);
  return text;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Where the root element starts in a stored document, when its bytes may go into the reply as they
// are: UTF-8 (a byte-order mark, no declared encoding or a declared UTF-8) and no document type
// declaration (its entities would not travel). npos otherwise.
size_t RootStart(const std::string& data) {
  size_t at = data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  if (data.compare(at, 5, "<?xml") == 0) {
    const size_t end = data.find("?>", at);
    if (end == std::string::npos) return std::string::npos;
    const std::string decl = Lower(data.substr(at, end - at));
    const size_t enc = decl.find("encoding");
    if (enc != std::string::npos) {
      const size_t quote = decl.find_first_of("\"'", enc);
      if (quote == std::string::npos || decl.compare(quote + 1, 5, "utf-8") != 0 || decl[quote + 6] != decl[quote])
        return std::string::npos;
    }
    at = end + 2;
  }
  for (;;) {
    at = data.find_first_not_of(" \t\r\n", at);
    if (at == std::string::npos || (data.compare(at, 2, "<!") == 0 && data.compare(at, 4, "<!--") != 0))
      return std::string::npos;
    if (data.compare(at, 4, "<!--") == 0) {
      at = data.find("-->", at);
      if (at == std::string::npos) return std::string::npos;
      at += 3;
    } else if (data.compare(at, 2, "<?") == 0) {
      at = data.find("?>", at);
      if (at == std::string::npos) return std::string::npos;
      at += 2;
    } else {
      return data.compare(at, 1, "<") == 0 ? at : std::string::npos;
    }
  }
}

// A stored file read once per version: whether its root is a Perechen that may be sent as its bytes
// are, and what a query is matched against.
struct TStoredFile {
  fs::file_time_type Time;
  uintmax_t Size = 0;
  bool AsStored = false;
  size_t Root = 0;
  std::string RegNum, Year, Months;
  // The whole reply holding the stored bytes, made on the first query that matches: later queries
  // send it from memory, as a server streams a stored document, without reading or copying it again.
  std::shared_ptr<const std::string> Reply;
};

// Reads the document through (a damaged one is never sent) and takes the root's attributes and the
// first "Предприятие" child's "РегНомер". False when the root is not a Perechen or the bytes may
// not be sent as they are.
bool ScanStored(const std::string& data, const fs::path& file, TStoredFile& stored) {
  stored.Root = RootStart(data);
  if (stored.Root == std::string::npos) return false;
  xmlTextReader* reader = xmlReaderForMemory(data.data(), static_cast<int>(data.size()), file.string().c_str(), nullptr,
                                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!reader) return false;
  auto attribute = [reader](const char* name) {
    xmlChar* v = xmlTextReaderGetAttribute(reader, reinterpret_cast<const xmlChar*>(name));
    std::string text = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return text;
  };
  bool root = true, list = false, enterprise = false;
  int status = 0;
  while ((status = xmlTextReaderRead(reader)) == 1) {
    if (xmlTextReaderNodeType(reader) != XML_READER_TYPE_ELEMENT) continue;
    const char* name = reinterpret_cast<const char*>(xmlTextReaderConstName(reader));
    if (root) {
      root = false;
      list = name && std::strcmp(name, "Перечень") == 0;
      if (!list) break;
      stored.Year = attribute("ОтчетныйГод");
      stored.Months = attribute("ОтчетныйПериод");
    } else if (!enterprise && xmlTextReaderDepth(reader) == 1 && name && std::strcmp(name, "Предприятие") == 0) {
      enterprise = true;
      stored.RegNum = attribute("РегНомер");
    }
  }
  xmlFreeTextReader(reader);
  return list && status == 0 && enterprise;
}

bool StoredMatches(const TStoredFile& stored, const std::string& regNum, int year, int quarter) {
  if (stored.RegNum != regNum) return false;
  int listYear = 0;
  if (!ParseInt(stored.Year, listYear) || listYear != year) return false;
  std::string months = stored.Months;
  if (months.empty() || months == "0") months = "12";
  int m = 0;
  return ParseInt(months, m) && m / 3 == quarter;
}

std::mutex gStoredLock;
std::map<fs::path, TStoredFile> gStored;

// The reply to a query: the version and the first matching Perechen of the directory, as its bytes
// are or serialized; null when there is none.
std::shared_ptr<const std::string> FindList(const fs::path& dir, const std::string& regNum, int year, int quarter,
                                            const std::string& version) {
  auto reply = [&version](const std::string& list) {
    return std::make_shared<const std::string>(Reply("<ВерсияПК>" + Escape(version) + "</ВерсияПК>\n" + list + "\n"));
  };
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_regular_file(ec) && Lower(it->path().extension().string()) == ".xml") files.push_back(it->path());
  std::sort(files.begin(), files.end());
  // Files named after the number are tried first, so that a directory of thousands of employers'
  // lists costs one parse a query; a match among them wins over a match in another file.
  std::stable_partition(files.begin(), files.end(),
                        [&](const fs::path& f) { return f.filename().string().find(regNum) != std::string::npos; });
  for (const fs::path& file : files) {
    TStoredFile stored;
    stored.Time = fs::last_write_time(file, ec);
    stored.Size = fs::file_size(file, ec);
    {
      std::lock_guard<std::mutex> lock(gStoredLock);
      auto known = gStored.find(file);
      if (known != gStored.end() && known->second.Time == stored.Time && known->second.Size == stored.Size &&
          known->second.AsStored) {
        if (!StoredMatches(known->second, regNum, year, quarter)) continue;
        if (known->second.Reply) return known->second.Reply;
      }
    }

    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string data = bytes.str();
    stored.Size = data.size();
    stored.AsStored = ScanStored(data, file, stored);
    if (stored.AsStored) {
      if (StoredMatches(stored, regNum, year, quarter)) {
        size_t end = data.find_last_not_of(" \t\r\n");
        stored.Reply = reply(data.substr(stored.Root, end + 1 - stored.Root));
      }
      std::lock_guard<std::mutex> lock(gStoredLock);
      gStored[file] = stored;
      if (stored.Reply) return stored.Reply;
      continue;
    }

    xmlDoc* doc = xmlReadMemory(data.data(), static_cast<int>(data.size()), file.string().c_str(), nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) continue;
    std::vector<xmlNode*> lists;
    CollectLists(xmlDocGetRootElement(doc), lists);
    std::string found;
    for (xmlNode* list : lists)
      if (Matches(list, regNum, year, quarter)) {
        found = Serialize(doc, list);
        break;
      }
    xmlFreeDoc(doc);
    if (!found.empty()) return reply(found);
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<TOptions> parsed = ParseOptions(argc, argv);
  if (!parsed) {
    Usage(std::cerr);
    return 2;
  }
  if (parsed->Help) {
    Usage(std::cout);
    return 0;
  }
  const TOptions options = *parsed;
  std::signal(SIGPIPE, SIG_IGN);
  xmlInitParser();

  httplib::Server server;
  auto answer = [&options](const httplib::Request& req, httplib::Response& res) {
    if (!options.App.empty() && req.matches[1] != options.App) {
      res.status = 404;
      return;
    }
    if (options.DelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(options.DelayMs));
    if (options.Redirect && req.get_param_value("redirected") != "1") {
      res.set_redirect(*options.Redirect + req.target + "&redirected=1");
      return;
    }
    if (options.FailStatus != 0) {
      res.status = options.FailStatus;
      res.set_content("failure on request", "text/plain");
      return;
    }
    if (options.Close) {
      // Headers go out, then the connection closes before any content.
      res.set_chunked_content_provider("text/xml", [](size_t, httplib::DataSink&) { return false; });
      return;
    }
    const std::string contentType = "text/xml; charset=utf-8";
    if (options.ErrorMessage) {
      res.set_content(MessageReply(options.Version, *options.ErrorMessage, options.ErrorExplanation), contentType);
      return;
    }
    if ((options.User && req.get_param_value("user") != *options.User) ||
        (options.Pass && req.get_param_value("pass") != *options.Pass)) {
      res.set_content(
          MessageReply(options.Version, "Доступ запрещен", std::string("Неверное имя пользователя или пароль")),
          contentType);
      return;
    }
    int year = 0, quarter = 0;
    std::string regNum = req.get_param_value("regNum");
    if (regNum.empty() || !ParseInt(req.get_param_value("year"), year) ||
        !ParseInt(req.get_param_value("quarter"), quarter)) {
      res.set_content(MessageReply(options.Version, "Неверные параметры запроса",
                                   std::string("Нужны параметры regNum, year и quarter")),
                      contentType);
      return;
    }
    std::shared_ptr<const std::string> reply = FindList(options.Dir, regNum, year, quarter, options.Version);
    if (!reply) {
      res.set_content(MessageReply(options.Version, "Перечень не найден", std::string(kNothingFound)), contentType);
      return;
    }
    // Replies to be cut, broken off or added to are made from the body; whole ones are sent from the
    // stored reply.
    if (options.CutReply >= 0 || options.CloseAfter >= 0 || options.AppendBlanks > 0 || !options.Append.empty()) {
      res.set_content(*reply, contentType);
      return;
    }
    res.set_content_provider(reply->size(), contentType,
                             [reply](size_t offset, size_t length, httplib::DataSink& sink) {
                               return sink.write(reply->data() + offset, std::min(length, reply->size() - offset));
                             });
  };
  server.Get(R"(/([^/?]+)/GetList)", [&options, &answer](const httplib::Request& req, httplib::Response& res) {
    Log("GET " + req.target);
    answer(req, res);
    if ((res.status == -1 || res.status == 200) && !res.body.empty())
      res.body += std::string(static_cast<size_t>(options.AppendBlanks), ' ') + options.Append;
    if (options.CutReply >= 0 && res.body.size() > static_cast<size_t>(options.CutReply))
      res.body.resize(static_cast<size_t>(options.CutReply));
    if (options.CloseAfter < 0 || res.body.empty()) return;
    // The whole length is announced, the first bytes sent, and the connection closed.
    auto body = std::make_shared<std::string>(std::move(res.body));
    res.body.clear();
    const size_t cut = std::min(body->size(), static_cast<size_t>(options.CloseAfter));
    std::string type = res.get_header_value("Content-Type");
    res.headers.erase("Content-Type");
    res.set_content_provider(body->size(), type.empty() ? "text/xml" : type,
                             [body, cut](size_t offset, size_t length, httplib::DataSink& sink) {
                               if (offset >= cut) return false;
                               sink.write(body->data() + offset, std::min(length, cut - offset));
                               return true;
                             });
  });

  int port = options.Port;
  if (port == 0) {
    port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) {
      std::cerr << "liverto-stub: cannot bind 127.0.0.1\n";
      return 1;
    }
  } else if (!server.bind_to_port("127.0.0.1", port)) {
    std::cerr << "liverto-stub: cannot bind 127.0.0.1:" << port << "\n";
    return 1;
  }
  Log("listening on 127.0.0.1:" + std::to_string(port));
  return server.listen_after_bind() ? 0 : 1;
}

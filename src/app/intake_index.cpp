// index.html at the intake's report root: the employers that need action first, filters and a search.
#include "app/intake_index.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>

#include "base/exit_code.h"
#include "base/strings.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

bool IsDamaged(const TSummaryRow& r) { return r.Damaged && *r.Damaged > 0; }
bool IsWaiting(const TSummaryRow& r) { return !r.ExitCode && !r.Missing; }
// The intake marks a run under way so; it is not yet a row of its own kind.
bool IsRunning(const TSummaryRow& r) { return IsWaiting(r) && r.Meaning == "выполняется"; }

// The row's colour. A damaged input is red whatever the run's code: a code 10 names no error of
// its own, but the employer's file is there and cannot be read.
const char* RowClass(const TSummaryRow& r) {
  if (r.Failed()) return "failed";
  if (IsDamaged(r)) return "damaged";
  if (!r.ExitCode) return "pending";
  switch (*r.ExitCode) {
    case 0: return "ok";
    case 1: return "warn";
    case 10:
    case 11:
    case 12: return "none";
    case 22:
    case 23:
    case 25: return "verdict";
    case 30: return "errors";
  }
  return "failed";
}

// The filters a row answers to: its exit code, and whether it is damaged, waiting or missing.
std::string RowKeys(const TSummaryRow& r) {
  std::string keys = r.ExitCode     ? "c" + std::to_string(*r.ExitCode)
                     : r.Missing    ? "missing"
                     : IsRunning(r) ? "running"
                                    : "pending";
  if (IsDamaged(r)) keys += " damaged";
  return keys;
}

std::string Number(const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(); }

std::string SecondsText(const std::optional<double>& v) {
  if (!v) return {};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", *v);
  return buf;
}

// A link to a file under the report root, relative, so that the root can be moved or shared.
std::string Link(const std::string& relative, const std::string& text) {
  if (relative.empty()) return {};
  std::string href;
  for (const std::string& part : Split(relative, '/')) href += (href.empty() ? "" : "/") + PercentEncode(part);
  const std::string name = fs::path(relative).filename().string();
  const std::string title = name == text ? "" : " title=\"" + HtmlEscape(name) + "\"";
  return "<a href=\"" + HtmlEscape(href) + "\"" + title + ">" + HtmlEscape(text) + "</a>";
}

struct TChip {
  std::string Key;
  std::string Label;
  size_t Count = 0;
};

// One filter per exit code present, in the order of the worklist, then the damaged, missing and
// waiting rows.
std::vector<TChip> Chips(const TSummary& summary, const std::vector<size_t>& order) {
  std::vector<TChip> chips;
  std::map<std::string, size_t> at;
  auto count = [&](const std::string& key, const std::string& label) {
    auto [it, added] = at.emplace(key, chips.size());
    if (added) chips.push_back({key, label, 0});
    ++chips[it->second].Count;
  };
  for (size_t i : order) {
    const TSummaryRow& r = summary.Rows[i];
    if (r.ExitCode)
      count("c" + std::to_string(*r.ExitCode), std::to_string(*r.ExitCode) + " " + ExitCodeMeaning(*r.ExitCode));
  }
  for (size_t i : order) {
    const TSummaryRow& r = summary.Rows[i];
    if (IsDamaged(r)) count("damaged", "повреждённые файлы");
    if (r.Missing) count("missing", "нет результата");
  }
  for (size_t i : order)
    if (IsRunning(summary.Rows[i])) count("running", "выполняются");
  for (size_t i : order)
    if (IsWaiting(summary.Rows[i]) && !IsRunning(summary.Rows[i])) count("pending", "ожидают");
  return chips;
}

constexpr const char* kStyle =
    "body{font-family:sans-serif;font-size:14px;margin:1em}table{border-collapse:collapse}"
    "th,td{border:1px solid #999;padding:2px 6px;text-align:left}th{background:#ddd;cursor:pointer;user-select:none}"
    "th.asc::after{content:' \\25B2'}th.desc::after{content:' \\25BC'}td.n{text-align:right;white-space:nowrap}"
    "td.k{white-space:nowrap}"
    "tr.ok{background:#d8f0d8}tr.warn{background:#fff4c2}tr.none{background:#e4ecf6}"
    "tr.verdict{background:#ffd9a8}tr.errors{background:#f6c0c0}tr.damaged{background:#f6c0c0}"
    "tr.damaged td.d{background:#d05050;color:#fff;font-weight:bold}tr.failed{background:#b03a3a;color:#fff}"
    "tr.failed a{color:#fff}tr.pending{color:#777}"
    "#chips{margin:.5em 0}#chips button{margin:0 .3em .3em 0;padding:3px 8px;border:1px solid #888;"
    "border-radius:10px;background:#f4f4f4;cursor:pointer}#chips button.on{background:#335;color:#fff}"
    "#chips button b{margin-left:.3em}#tools{margin:.5em 0}#q{width:22em}";

// Sort, filter and search live in the address's fragment (and the tab's session storage), so that
// the reload while the intake runs keeps them.
constexpr const char* kScript = R"JS(<script>
(function(){
var t=document.getElementById('summary'),body=t.tBodies[0],rows=Array.prototype.slice.call(body.rows),
heads=t.tHead.rows[0].cells,q=document.getElementById('q'),chips=document.querySelectorAll('#chips button'),
st={f:'',s:'',q:''},KEY='zazoru-index';
function load(){var h=location.hash.slice(1);if(!h)try{h=sessionStorage.getItem(KEY)||''}catch(e){}
h.split('&').forEach(function(p){var i=p.indexOf('=');if(i>0&&p.slice(0,i) in st)st[p.slice(0,i)]=decodeURIComponent(p.slice(i+1))})}
function save(){var h='f='+encodeURIComponent(st.f)+'&s='+encodeURIComponent(st.s)+'&q='+encodeURIComponent(st.q);
try{history.replaceState(null,'','#'+h)}catch(e){location.replace('#'+h)}try{sessionStorage.setItem(KEY,h)}catch(e){}}
function apply(){var col=-1,dir=1;if(st.s){var m=st.s.split(':');col=+m[0];dir=m[1]==='d'?-1:1}
if(!(col<heads.length))col=-1;var num=col>=0&&heads[col].dataset.type==='num';
var sorted=rows.slice().sort(function(a,b){var by=0;if(col>=0){var x=a.cells[col].textContent,y=b.cells[col].textContent;
by=num?((x===''?-1:+x)-(y===''?-1:+y))*dir:x.localeCompare(y,'ru')*dir}return by||a.dataset.p-b.dataset.p});
var needle=st.q.trim().toLowerCase(),shown=0;
sorted.forEach(function(r){var ok=(!st.f||(' '+r.dataset.k+' ').indexOf(' '+st.f+' ')>=0)&&
(!needle||(r.cells[0].textContent+' '+r.cells[1].textContent).toLowerCase().indexOf(needle)>=0);
r.hidden=!ok;shown+=ok?1:0;body.appendChild(r)});
for(var i=0;i<heads.length;++i){heads[i].classList.toggle('asc',i===col&&dir>0);heads[i].classList.toggle('desc',i===col&&dir<0)}
for(var j=0;j<chips.length;++j)chips[j].classList.toggle('on',chips[j].dataset.k===st.f);
document.getElementById('shown').textContent=shown;save()}
load();q.value=st.q;
for(var i=0;i<heads.length;++i)(function(i){heads[i].onclick=function(){
st.s=st.s===i+':a'?i+':d':st.s===i+':d'?'':i+':a';apply()}})(i);
for(var j=0;j<chips.length;++j)chips[j].onclick=function(){st.f=st.f===this.dataset.k?'':this.dataset.k;apply()};
q.oninput=function(){st.q=q.value;apply()};
document.getElementById('order').onclick=function(){st={f:'',s:'',q:''};q.value='';apply()};
apply();
try{if(sessionStorage.getItem(KEY+'-typing')==='1'){q.focus();q.setSelectionRange(q.value.length,q.value.length)}}catch(e){}
if(document.body.dataset.running)setTimeout(function(){
try{sessionStorage.setItem(KEY+'-typing',document.activeElement===q?'1':'')}catch(e){}location.reload()},5000);
})();
</script>)JS";

}  // namespace

int WorklistRank(const TSummaryRow& r) {
  if (r.Failed()) return 0;
  if (IsRunning(r)) return 600;
  if (!r.ExitCode) return 700;
  if (*r.ExitCode == 30) return 100;
  if (IsDamaged(r)) return 200;
  static const int kVerdicts[] = {12, 22, 23, 25, 11, 10};
  for (int i = 0; i < 6; ++i)
    if (*r.ExitCode == kVerdicts[i]) return 300 + i;
  if (*r.ExitCode == 1) return 400;
  if (*r.ExitCode == 0) return 500;
  return 0;
}

std::string IndexPage(const TSummary& summary) {
  std::vector<size_t> order(summary.Rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return WorklistRank(summary.Rows[a]) < WorklistRank(summary.Rows[b]); });
  int done = 0, failed = 0, running = 0, waiting = 0;
  for (const auto& r : summary.Rows) {
    if (r.Completed())
      ++done;
    else if (r.Failed())
      ++failed;
    else if (IsRunning(r))
      ++running;
    else
      ++waiting;
  }
  std::string h = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n";
  // Without scripts the page still follows the intake, only without keeping its filter.
  if (summary.Running) h += "<noscript><meta http-equiv=\"refresh\" content=\"5\"></noscript>\n";
  h += "<title>Сводка сверки</title>\n<style>" + std::string(kStyle) + "</style>\n</head>\n";
  h += summary.Running ? "<body data-running=\"1\">\n" : "<body>\n";
  h += "<h2>Сводка сверки</h2>\n<p>Работодателей: " + std::to_string(summary.Rows.size()) +
       ", сверено: " + std::to_string(done) + ", не завершено: " + std::to_string(failed) +
       (running ? ", выполняются: " + std::to_string(running) : std::string()) + ", ждут: " + std::to_string(waiting) +
       ", не распределено или пропущено файлов: " + std::to_string(summary.Unassigned.size()) + ".";
  if (summary.Running) h += " Сверка идёт, страница обновляется.";
  if (summary.Interrupted) h += " Сверка прервана.";
  h += "</p>\n<div id=\"chips\">";
  for (const TChip& c : Chips(summary, order))
    h += "<button type=\"button\" data-k=\"" + c.Key + "\">" + HtmlEscape(c.Label) + "<b>" + std::to_string(c.Count) +
         "</b></button>";
  h += "</div>\n<div id=\"tools\"><input id=\"q\" type=\"search\" placeholder=\"Поиск по рег. номеру или названию\"> "
       "<button type=\"button\" id=\"order\">Порядок работы</button> показано: <span id=\"shown\">" +
       std::to_string(summary.Rows.size()) + "</span></div>\n";
  h += "<table id=\"summary\">\n<thead><tr><th>Рег. номер</th><th>Организация</th>"
       "<th data-type=\"num\">Код</th><th>Значение</th><th data-type=\"num\">Ошибок</th>"
       "<th data-type=\"num\">Предупреждений</th><th data-type=\"num\">Повреждено файлов</th><th>Протокол</th>"
       "<th>Данные</th><th data-type=\"num\">Секунд</th></tr></thead>\n<tbody>\n";
  for (size_t p = 0; p < order.size(); ++p) {
    const TSummaryRow& r = summary.Rows[order[p]];
    h += "<tr class=\"" + std::string(RowClass(r)) + "\" data-k=\"" + RowKeys(r) + "\" data-p=\"" + std::to_string(p) +
         "\"><td class=\"k\">" + HtmlEscape(r.RegNum) + "</td><td>" + HtmlEscape(r.Organisation) +
         "</td><td class=\"n\">" + Number(r.ExitCode) + "</td><td>" + HtmlEscape(r.Meaning) + "</td><td class=\"n\">" +
         Number(r.Errors) + "</td><td class=\"n\">" + Number(r.Warnings) + "</td><td class=\"n d\">" +
         Number(r.Damaged) + "</td><td>" + Link(r.Protocol, "протокол") + "</td><td>" +
         Link(r.Findings, "findings.json") + "</td><td class=\"n\">" + SecondsText(r.Seconds) + "</td></tr>\n";
  }
  h += "</tbody>\n</table>\n";
  if (!summary.Unassigned.empty()) {
    h += "<h3>Не распределены или пропущены</h3>\n<table "
         "id=\"unassigned\">\n<thead><tr><th>Файл</th><th>Причина</th></tr></thead>\n"
         "<tbody>\n";
    for (const TUnassignedFile& file : summary.Unassigned)
      h += "<tr><td>" + HtmlEscape(ShownPath(file.Path)) + "</td><td>" + HtmlEscape(ShownReason(file)) + "</td></tr>\n";
    h += "</tbody>\n</table>\n";
  }
  h += kScript;
  h += "</body>\n</html>\n";
  return h;
}

}  // namespace zz

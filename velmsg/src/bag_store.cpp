#include "bag_store.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "errors.hpp"
#include "sqlite3.h"

namespace velmsg
{
namespace fs = std::filesystem;

namespace
{

// A prepared statement, finalised when it goes out of scope.
struct Statement
{
  Statement(Database & db, const std::string & sql) : db(db), handle(db.prepare(sql)) {}
  ~Statement() {sqlite3_finalize(handle);}
  Statement(const Statement &) = delete;
  Statement & operator=(const Statement &) = delete;
  // True while there is a row.
  bool step(const char * doing)
  {
    int code = sqlite3_step(handle);
    if (code == SQLITE_ROW) {
      return true;
    }
    db.check(code, doing);
    return false;
  }
  std::string text(int column) const
  {
    auto value = reinterpret_cast<const char *>(sqlite3_column_text(handle, column));
    return value ? std::string(value, static_cast<size_t>(sqlite3_column_bytes(handle, column))) : std::string();
  }
  int64_t integer(int column) const {return sqlite3_column_int64(handle, column);}

  Database & db;
  sqlite3_stmt * handle;
};

bool ends_with(const std::string & text, const std::string & suffix)
{
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// <name>_<i>.db3 in the order of i; others after them by name.
bool storage_order(const std::string & a, const std::string & b)
{
  auto index = [](const std::string & name) {
      size_t underscore = name.rfind('_');
      std::string digits = underscore == std::string::npos ? "" :
        name.substr(underscore + 1, name.size() - underscore - 5);
      bool numeric = !digits.empty() && digits.size() < 10 &&
        std::all_of(digits.begin(), digits.end(), [](char ch) {return ch >= '0' && ch <= '9';});
      return numeric ? std::stol(digits) : 1L << 40;
    };
  auto ia = index(a), ib = index(b);
  return ia != ib ? ia < ib : a < b;
}

std::string read_file(const std::string & path)
{
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw failure("cannot open " + path + ": " + std::strerror(errno));
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) {
    throw failure("cannot read " + path);
  }
  return text.str();
}

const char * const kMcapNote = "a bag of storage mcap: velmsg reads bags of storage sqlite3 (.db3) only";

// The topics of one .db3 by id. Bags before Foxy have no offered_qos_profiles column.
std::map<int64_t, BagTopic> read_topics(Database & db)
{
  bool has_qos = false;
  {
    Statement columns(db, "PRAGMA table_info(topics)");
    while (columns.step("reading the topics table's columns")) {
      has_qos = has_qos || columns.text(1) == "offered_qos_profiles";
    }
  }
  Statement select(db, std::string("SELECT id, name, type, serialization_format, ") +
    (has_qos ? "offered_qos_profiles" : "''") + " FROM topics ORDER BY id");
  std::map<int64_t, BagTopic> topics;
  while (select.step("reading the topics")) {
    BagTopic topic;
    topic.name = select.text(1);
    topic.type = select.text(2);
    topic.serialization_format = select.text(3);
    topic.offered_qos_profiles = select.text(4);
    topics.emplace(select.integer(0), topic);
  }
  return topics;
}

// Messages per topic id, and the time span of the file's messages.
std::map<int64_t, uint64_t> count_messages(Database & db, BagMetadata & span)
{
  std::map<int64_t, uint64_t> counts;
  Statement select(db, "SELECT topic_id, COUNT(*), MIN(timestamp), MAX(timestamp) FROM messages GROUP BY topic_id");
  while (select.step("counting the messages")) {
    counts[select.integer(0)] = static_cast<uint64_t>(select.integer(1));
    span.add_time(select.integer(2));
    span.add_time(select.integer(3));
  }
  return counts;
}

}  // namespace

Database::Database(const std::string & path, bool create)
: path_(path)
{
  if (create && fs::exists(fs::symlink_status(path))) {
    throw failure("cannot create " + path + ": it exists");
  }
  int flags = create ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
  int code = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (code != SQLITE_OK) {
    std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    sqlite3_close(db_);
    db_ = nullptr;
    throw failure("cannot open " + path + ": " + why);
  }
  sqlite3_extended_result_codes(db_, 1);
  try {
    // Reads the file header: a file that is no database fails here.
    execute("PRAGMA schema_version", "reading the database");
  } catch (const ToolError &) {
    sqlite3_close_v2(db_);  // no destructor runs for a constructor that throws
    throw;
  }
}

Database::~Database()
{
  sqlite3_close_v2(db_);
}

void Database::check(int code, const char * doing) const
{
  if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) {
    return;
  }
  std::string what = std::string(doing) + " in " + path_ + ": " + sqlite3_errmsg(db_);
  switch (code & 0xff) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      throw bad_input(what + " (the file is truncated or damaged)");
    case SQLITE_FULL:
      throw failure(what + " (the disk is full or the file reached its size limit)");
    case SQLITE_ERROR:
      // A missing table or column: a database, but no bag.
      throw bad_input(what);
    default:
      if ((code & 0xff) == SQLITE_IOERR && errno == EFBIG) {
        throw failure(what + " (the file reached its size limit)");
      }
      throw failure(what);
  }
}

void Database::execute(const std::string & sql, const char * doing)
{
  sqlite3_stmt * statement = prepare(sql);
  int code;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {}
  sqlite3_finalize(statement);
  check(code, doing);
}

sqlite3_stmt * Database::prepare(const std::string & sql)
{
  sqlite3_stmt * statement = nullptr;
  check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr), "preparing SQL");
  return statement;
}

Db3Writer::Db3Writer(const std::string & path)
: db_(path, true)
{
  // Write-ahead log with full syncs: a commit is on disk when it returns, and
  // a process or machine that dies mid-batch leaves the committed batches whole.
  // (Galactic's default, an in-memory journal without syncs, can leave a damaged file.)
  db_.execute("PRAGMA journal_mode=WAL");
  db_.execute("PRAGMA synchronous=FULL");
  db_.execute("CREATE TABLE topics(id INTEGER PRIMARY KEY, name TEXT NOT NULL, type TEXT NOT NULL, "
    "serialization_format TEXT NOT NULL, offered_qos_profiles TEXT NOT NULL)");
  db_.execute("CREATE TABLE messages(id INTEGER PRIMARY KEY, topic_id INTEGER NOT NULL, "
    "timestamp INTEGER NOT NULL, data BLOB NOT NULL)");
  db_.execute("CREATE INDEX timestamp_idx ON messages (timestamp ASC)");
  insert_topic_ = db_.prepare(
    "INSERT INTO topics (name, type, serialization_format, offered_qos_profiles) VALUES (?, ?, ?, ?)");
  insert_message_ = db_.prepare("INSERT INTO messages (timestamp, topic_id, data) VALUES (?, ?, ?)");
}

Db3Writer::~Db3Writer()
{
  sqlite3_finalize(insert_topic_);
  sqlite3_finalize(insert_message_);
}

int64_t Db3Writer::add_topic(const BagTopic & topic)
{
  const std::string * texts[] = {&topic.name, &topic.type, &topic.serialization_format,
    &topic.offered_qos_profiles};
  for (int i = 0; i < 4; ++i) {
    db_.check(sqlite3_bind_text(insert_topic_, i + 1, texts[i]->c_str(), static_cast<int>(texts[i]->size()),
      SQLITE_TRANSIENT), "binding a topic");
  }
  int code = sqlite3_step(insert_topic_);
  sqlite3_reset(insert_topic_);
  db_.check(code, "writing a topic");
  return sqlite3_last_insert_rowid(db_.handle());
}

void Db3Writer::begin_batch()
{
  db_.execute("BEGIN TRANSACTION");
  in_batch_ = true;
}

void Db3Writer::write(int64_t topic_id, int64_t timestamp_ns, const uint8_t * data, size_t size)
{
  sqlite3_bind_int64(insert_message_, 1, timestamp_ns);
  sqlite3_bind_int64(insert_message_, 2, topic_id);
  // A zero-length blob must still be a blob, not NULL: the column is NOT NULL.
  static const uint8_t empty = 0;
  db_.check(sqlite3_bind_blob64(insert_message_, 3, size ? data : &empty, size, SQLITE_STATIC), "binding a message");
  int code = sqlite3_step(insert_message_);
  sqlite3_reset(insert_message_);
  sqlite3_clear_bindings(insert_message_);
  if (code != SQLITE_DONE && in_batch_ && !sqlite3_get_autocommit(db_.handle())) {
    // Leaves the file as it was at the last commit.
    sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    in_batch_ = false;
  }
  db_.check(code, "writing a message");
}

void Db3Writer::commit_batch()
{
  if (!in_batch_) {
    return;
  }
  int code = sqlite3_exec(db_.handle(), "COMMIT", nullptr, nullptr, nullptr);
  if (code != SQLITE_OK && !sqlite3_get_autocommit(db_.handle())) {
    sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  in_batch_ = false;
  db_.check(code, "committing messages");
}

uint64_t Db3Writer::file_size() const
{
  std::error_code error;
  uint64_t size = 0;
  for (const char * suffix : {"", "-wal"}) {
    uintmax_t part = fs::file_size(db_.path() + suffix, error);
    size += error ? 0 : part;
  }
  return size;
}

void Db3Writer::finish()
{
  commit_batch();
  // Moves the log into the file and removes it: one .db3, as Galactic leaves it.
  db_.execute("PRAGMA journal_mode=DELETE");
}

BagWriter::BagWriter(const std::string & folder, uint64_t max_file_bytes, int64_t max_file_duration_ns)
: folder_(folder), max_file_bytes_(max_file_bytes), max_file_duration_ns_(max_file_duration_ns)
{
  while (folder_.size() > 1 && (folder_.back() == '/' || folder_.back() == '\\')) {
    folder_.pop_back();
  }
  if (fs::exists(fs::symlink_status(folder_))) {
    throw usage_error("Output folder '" + folder_ + "' already exists.");
  }
  std::error_code error;
  fs::create_directories(folder_, error);
  if (error) {
    throw failure("cannot create the folder " + folder_ + ": " + error.message());
  }
  base_ = fs::path(folder_).filename().string();
  open_file();
}

void BagWriter::open_file()
{
  std::string name = base_ + "_" + std::to_string(metadata_.relative_file_paths.size()) + ".db3";
  file_ = std::make_unique<Db3Writer>((fs::path(folder_) / name).string());
  metadata_.relative_file_paths.push_back(name);
  file_topic_ids_.clear();
  for (const BagTopic & topic : metadata_.topics) {
    file_topic_ids_.push_back(file_->add_topic(topic));
  }
  file_start_ns_ = -1;
}

size_t BagWriter::add_topic(const BagTopic & topic)
{
  file_topic_ids_.push_back(file_->add_topic(topic));
  metadata_.topics.push_back(topic);
  metadata_.topics.back().message_count = 0;
  return metadata_.topics.size() - 1;
}

void BagWriter::write(const std::vector<PendingMessage> & batch)
{
  if (batch.empty()) {
    return;
  }
  if (max_file_bytes_ && file_->file_size() > max_file_bytes_) {
    file_->finish();
    open_file();
  }
  // The metadata counts what is committed, as far as it is.
  size_t committed = 0;
  auto commit = [&](size_t end) {
      file_->commit_batch();
      for (; committed < end; ++committed) {
        ++metadata_.topics[batch[committed].topic].message_count;
        ++metadata_.message_count;
        metadata_.add_time(batch[committed].timestamp_ns);
      }
    };
  file_->begin_batch();
  for (size_t i = 0; i < batch.size(); ++i) {
    const PendingMessage & message = batch[i];
    if (max_file_duration_ns_ && file_start_ns_ >= 0 && message.timestamp_ns - file_start_ns_ > max_file_duration_ns_) {
      commit(i);
      file_->finish();
      open_file();
      file_->begin_batch();
    }
    if (file_start_ns_ < 0) {
      file_start_ns_ = message.timestamp_ns;
    }
    file_->write(file_topic_ids_.at(message.topic), message.timestamp_ns, message.data.data(), message.data.size());
  }
  commit(batch.size());
}

void BagWriter::close()
{
  std::optional<ToolError> unfinished;
  try {
    file_->finish();
  } catch (const ToolError & error) {
    unfinished = error;  // the file keeps its log beside it, and its messages; the metadata still says what it holds
  }
  std::string path = (fs::path(folder_) / "metadata.yaml").string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << metadata_yaml(metadata_);
  out.close();
  if (!out) {
    std::string why = std::strerror(errno);
    std::error_code ignored;
    fs::remove(path, ignored);  // half a metadata.yaml would hide the files' own account
    throw failure("cannot write " + path + ": " + why + " (velmsg reads the bag from its .db3 files without it)");
  }
  if (unfinished) {
    throw *unfinished;
  }
}

BagReader::BagReader(const std::string & path)
{
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) {
    throw failure("cannot open bag " + path + ": no such file or folder");
  }
  if (!fs::is_directory(status)) {
    if (ends_with(path, ".mcap")) {
      throw bad_input(path + " is " + kMcapNote);
    }
    folder_ = fs::path(path).parent_path().string();
    files_.push_back(path);
    recovered_ = true;
  } else {
    folder_ = path;
    std::string metadata_file = (fs::path(path) / "metadata.yaml").string();
    if (fs::exists(metadata_file)) {
      metadata_ = parse_metadata(read_file(metadata_file), metadata_file);
      for (const std::string & relative : metadata_.relative_file_paths) {
        std::string file = (fs::path(path) / relative).string();
        if (!fs::is_regular_file(file)) {
          throw bad_input(metadata_file + " names " + relative + ", which is not in " + path);
        }
        files_.push_back(file);
      }
    } else {
      std::vector<std::string> names;
      bool mcap = false;
      for (const fs::directory_entry & entry : fs::directory_iterator(path, error)) {
        std::string name = entry.path().filename().string();
        if (ends_with(name, ".db3")) {
          names.push_back(name);
        }
        mcap = mcap || ends_with(name, ".mcap");
      }
      if (names.empty()) {
        throw bad_input(path + (mcap ? " is " + std::string(kMcapNote) :
                std::string(" is no bag: it has no metadata.yaml and no .db3 file")));
      }
      std::sort(names.begin(), names.end(), storage_order);
      for (const std::string & name : names) {
        files_.push_back((fs::path(path) / name).string());
      }
      recovered_ = true;
    }
  }

  // The files' own topics and counts: the metadata when there is none, a check of it when there is.
  BagMetadata found;
  std::map<std::string, size_t> topic_index;
  for (const std::string & file : files_) {
    Database db(file, false);
    std::map<int64_t, BagTopic> topics = read_topics(db);
    for (const auto & [id, count] : count_messages(db, found)) {
      auto topic = topics.find(id);
      if (topic == topics.end()) {
        throw bad_input(file + " holds " + counted(count, "message") + " of topic id " + std::to_string(id) +
                ", which its topics table lacks");
      }
      topic->second.message_count = count;
    }
    for (const auto & [id, topic] : topics) {
      auto [at, added] = topic_index.emplace(topic.name, found.topics.size());
      if (added) {
        found.topics.push_back(topic);
      } else {
        found.topics[at->second].message_count += topic.message_count;
      }
      found.message_count += topic.message_count;
    }
    found.relative_file_paths.push_back(fs::path(file).filename().string());
  }
  if (recovered_) {
    metadata_ = found;
    return;
  }
  for (const BagTopic & topic : metadata_.topics) {
    auto at = topic_index.find(topic.name);
    uint64_t stored = at == topic_index.end() ? 0 : found.topics[at->second].message_count;
    if (stored != topic.message_count) {
      throw bad_input("the counts disagree: metadata.yaml of " + path + " counts " +
              counted(topic.message_count, "message") + " on " + topic.name + ", its files hold " +
              std::to_string(stored));
    }
  }
  if (found.message_count != metadata_.message_count) {
    throw bad_input("the counts disagree: metadata.yaml of " + path + " counts " +
            counted(metadata_.message_count, "message") + ", its files hold " +
            std::to_string(found.message_count) + " (some on topics it does not list)");
  }
}

uint64_t BagReader::size_bytes() const
{
  uint64_t size = 0;
  for (const std::string & file : files_) {
    std::error_code error;
    uintmax_t part = fs::file_size(file, error);
    size += error ? 0 : part;
  }
  return size;
}

bool BagReader::for_each(
  const std::set<std::string> & topics, const std::function<bool(const StoredMessage &)> & visit) const
{
  for (const std::string & file : files_) {
    Database db(file, false);
    // This file's ids of the topics asked for, pointing at the bag's own topic records.
    std::map<int64_t, const BagTopic *> wanted;
    for (const auto & entry : read_topics(db)) {
      const BagTopic & topic = entry.second;
      if (!topics.empty() && !topics.count(topic.name)) {
        continue;
      }
      auto known = std::find_if(metadata_.topics.begin(), metadata_.topics.end(),
          [&](const BagTopic & candidate) {return candidate.name == topic.name;});
      if (known != metadata_.topics.end()) {
        wanted.emplace(entry.first, &*known);
      }
    }
    if (wanted.empty()) {
      continue;
    }
    Statement select(db, "SELECT topic_id, timestamp, data FROM messages ORDER BY timestamp, id");
    while (select.step("reading the messages")) {
      auto topic = wanted.find(select.integer(0));
      if (topic == wanted.end()) {
        continue;
      }
      auto data = static_cast<const uint8_t *>(sqlite3_column_blob(select.handle, 2));
      size_t size = static_cast<size_t>(sqlite3_column_bytes(select.handle, 2));
      if (!visit(StoredMessage{topic->second, select.integer(1), data, data ? size : 0})) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace velmsg

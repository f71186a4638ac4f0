// The storage files of a ROS 2 bag: SQLite databases (.db3) with the tables
// `topics` and `messages` as ROS 2 Galactic lays them out, written and read
// through SQLite's C API; and a bag folder read as a whole.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bag_metadata.hpp"

struct sqlite3;
struct sqlite3_stmt;

namespace velmsg
{

// One open database; statements are finalised and the database closed on destruction.
class Database
{
public:
  Database(const std::string & path, bool create);
  ~Database();
  Database(const Database &) = delete;
  Database & operator=(const Database &) = delete;

  void execute(const std::string & sql, const char * doing = "running SQL");
  sqlite3_stmt * prepare(const std::string & sql);
  // Throws the error of a result code that is not SQLITE_OK/ROW/DONE, naming the file.
  void check(int code, const char * doing) const;
  sqlite3 * handle() const {return db_;}
  const std::string & path() const {return path_;}

private:
  std::string path_;
  sqlite3 * db_ = nullptr;
};

// A new .db3 file of a recording. Messages are written in batches, each one
// transaction; the file stays valid at every commit, so a recording that is
// killed keeps every batch it committed.
class Db3Writer
{
public:
  // Refuses an existing file.
  explicit Db3Writer(const std::string & path);
  ~Db3Writer();

  // The topic's id in this file.
  int64_t add_topic(const BagTopic & topic);
  void begin_batch();
  void write(int64_t topic_id, int64_t timestamp_ns, const uint8_t * data, size_t size);
  void commit_batch();
  // The bytes the file takes now.
  uint64_t file_size() const;
  // Leaves the file as one self-contained .db3, no journal beside it.
  void finish();

private:
  Database db_;
  sqlite3_stmt * insert_topic_ = nullptr;
  sqlite3_stmt * insert_message_ = nullptr;
  bool in_batch_ = false;
};

// A message received and not yet written: the bag's topic index, receive time, bytes.
struct PendingMessage
{
  size_t topic;
  int64_t timestamp_ns;
  std::vector<uint8_t> data;
};

// A bag folder being recorded: storage files <folder name>_<i>.db3, a new one
// when the current one passes the size or duration limit (0: none), and
// metadata.yaml at the close. The metadata counts only what was committed.
class BagWriter
{
public:
  // Creates the folder, which must not exist, and its first storage file.
  BagWriter(const std::string & folder, uint64_t max_file_bytes, int64_t max_file_duration_ns);

  // The topic's index in the bag; every storage file lists every topic.
  size_t add_topic(const BagTopic & topic);
  // One transaction; on a failure nothing of the batch stays, and the bag is as before.
  void write(const std::vector<PendingMessage> & batch);
  const BagMetadata & metadata() const {return metadata_;}
  // Finishes the storage file and writes metadata.yaml.
  void close();

private:
  void open_file();

  std::string folder_;
  std::string base_;
  uint64_t max_file_bytes_;
  int64_t max_file_duration_ns_;
  std::unique_ptr<Db3Writer> file_;
  std::vector<int64_t> file_topic_ids_;
  int64_t file_start_ns_ = -1;
  BagMetadata metadata_;
};

struct StoredMessage
{
  const BagTopic * topic;
  int64_t timestamp_ns;
  const uint8_t * data;
  size_t size;
};

// A bag folder: its metadata.yaml, or, without one (a recording that did not
// end), what its .db3 files hold. The counts of metadata.yaml must match the files.
class BagReader
{
public:
  // A bag folder, or a single .db3 file.
  explicit BagReader(const std::string & path);

  const BagMetadata & metadata() const {return metadata_;}
  // Whether metadata.yaml was missing and the metadata was read from the files.
  bool recovered() const {return recovered_;}
  uint64_t size_bytes() const;

  // Every message (of the given topics; all when empty), in timestamp order within each file, files in order.
  // Returns false when the visitor asked to stop.
  bool for_each(const std::set<std::string> & topics, const std::function<bool(const StoredMessage &)> & visit)
  const;

private:
  std::string folder_;
  std::vector<std::string> files_;
  BagMetadata metadata_;
  bool recovered_ = false;
};

}  // namespace velmsg

/* A Cyclone DDS participant for the interoperability tests of velmsg: it
 * publishes or takes serialized messages of any type as they are, so one
 * program serves every type. The topic and type are named as ROS 2 names them
 * (rt/<topic>, <package>::msg::dds_::<Type>_); the network is whatever
 * CYCLONEDDS_URI configures (the tests keep it on 127.0.0.1).
 *
 *   cyclone_peer sub TOPIC TYPE COUNT TIMEOUT_S [best_effort]
 *       prints each message's bytes (encapsulation header included) as one hex
 *       line; exit 0 after COUNT messages, 4 at the timeout
 *   cyclone_peer pub TOPIC TYPE HEX TIMEOUT_S [best_effort]
 *       publishes the bytes once a subscriber matched; exit 0 once it
 *       acknowledged them, 4 when none matched before the timeout
 */
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "dds/dds.h"
#include "dds/ddsi/ddsi_serdata.h"
#include "dds/ddsi/ddsi_sertype.h"
#include "dds/ddsi/q_radmin.h"

/* A sample: the serialized message, encapsulation header first. */
struct raw_sample {
  size_t size;
  unsigned char *bytes;
};

struct raw_serdata {
  struct ddsi_serdata c;
  size_t size;
  unsigned char *bytes; /* padded with zeros to a multiple of 4 */
};

static struct raw_serdata *new_serdata(const struct ddsi_sertype *type, enum ddsi_serdata_kind kind, size_t size)
{
  struct raw_serdata *d = calloc(1, sizeof *d);
  size_t padded = (size + 3) & ~(size_t) 3;
  d->bytes = calloc(padded ? padded : 1, 1);
  if (!d->bytes) {
    abort();
  }
  d->size = size;
  ddsi_serdata_init(&d->c, type, kind);
  return d;
}

static bool eqkey(const struct ddsi_serdata *a, const struct ddsi_serdata *b)
{
  (void) a, (void) b;
  return true; /* keyless */
}

static uint32_t get_size(const struct ddsi_serdata *d)
{
  return (uint32_t) ((const struct raw_serdata *) d)->size;
}

static struct ddsi_serdata *from_ser(
  const struct ddsi_sertype *type, enum ddsi_serdata_kind kind, const struct nn_rdata *fragment, size_t size)
{
  struct raw_serdata *d = new_serdata(type, kind, size);
  uint32_t done = 0;
  for (; fragment; fragment = fragment->nextfrag) {
    if (fragment->maxp1 > done) {
      const unsigned char *payload = NN_RMSG_PAYLOADOFF(fragment->rmsg, NN_RDATA_PAYLOAD_OFF(fragment));
      memcpy(d->bytes + done, payload + done - fragment->min, fragment->maxp1 - done);
      done = fragment->maxp1;
    }
  }
  return &d->c;
}

static struct ddsi_serdata *from_ser_iov(
  const struct ddsi_sertype *type, enum ddsi_serdata_kind kind, ddsrt_msg_iovlen_t count, const ddsrt_iovec_t *iov,
  size_t size)
{
  struct raw_serdata *d = new_serdata(type, kind, size);
  size_t done = 0;
  for (ddsrt_msg_iovlen_t i = 0; i < count && done < size; i++) {
    size_t n = iov[i].iov_len < size - done ? iov[i].iov_len : size - done;
    memcpy(d->bytes + done, iov[i].iov_base, n);
    done += n;
  }
  return &d->c;
}

static struct ddsi_serdata *from_keyhash(const struct ddsi_sertype *type, const struct ddsi_keyhash *keyhash)
{
  (void) keyhash;
  return &new_serdata(type, SDK_KEY, 0)->c;
}

static struct ddsi_serdata *from_sample(
  const struct ddsi_sertype *type, enum ddsi_serdata_kind kind, const void *sample)
{
  const struct raw_sample *raw = sample;
  struct raw_serdata *d = new_serdata(type, kind, kind == SDK_DATA ? raw->size : 0);
  if (kind == SDK_DATA) {
    memcpy(d->bytes, raw->bytes, raw->size);
  }
  return &d->c;
}

static void to_ser(const struct ddsi_serdata *serdata, size_t offset, size_t size, void *buffer)
{
  memcpy(buffer, ((const struct raw_serdata *) serdata)->bytes + offset, size);
}

static struct ddsi_serdata *to_ser_ref(
  const struct ddsi_serdata *serdata, size_t offset, size_t size, ddsrt_iovec_t *ref)
{
  ref->iov_base = ((const struct raw_serdata *) serdata)->bytes + offset;
  ref->iov_len = (ddsrt_iov_len_t) size;
  return ddsi_serdata_ref(serdata);
}

static void to_ser_unref(struct ddsi_serdata *serdata, const ddsrt_iovec_t *ref)
{
  (void) ref;
  ddsi_serdata_unref(serdata);
}

static bool to_sample(const struct ddsi_serdata *serdata, void *sample, void **buffer, void *limit)
{
  (void) buffer, (void) limit;
  const struct raw_serdata *d = (const struct raw_serdata *) serdata;
  struct raw_sample *raw = sample;
  free(raw->bytes);
  raw->bytes = malloc(d->size ? d->size : 1);
  memcpy(raw->bytes, d->bytes, d->size);
  raw->size = d->size;
  return true;
}

static struct ddsi_serdata *to_untyped(const struct ddsi_serdata *serdata)
{
  return &new_serdata(serdata->type, SDK_KEY, 0)->c;
}

static bool untyped_to_sample(
  const struct ddsi_sertype *type, const struct ddsi_serdata *d, void *sample, void **buffer, void *limit)
{
  (void) type, (void) d, (void) sample, (void) buffer, (void) limit;
  return true;
}

static void free_serdata(struct ddsi_serdata *serdata)
{
  struct raw_serdata *d = (struct raw_serdata *) serdata;
  free(d->bytes);
  free(d);
}

static size_t print(const struct ddsi_sertype *type, const struct ddsi_serdata *d, char *buffer, size_t size)
{
  (void) type;
  return (size_t) snprintf(buffer, size, "%zu bytes", ((const struct raw_serdata *) d)->size);
}

static void get_keyhash(const struct ddsi_serdata *d, struct ddsi_keyhash *keyhash, bool force_md5)
{
  (void) d, (void) force_md5;
  memset(keyhash, 0, sizeof *keyhash);
}

static const struct ddsi_serdata_ops serdata_ops = {
  .eqkey = eqkey, .get_size = get_size, .from_ser = from_ser, .from_ser_iov = from_ser_iov,
  .from_keyhash = from_keyhash, .from_sample = from_sample, .to_ser = to_ser, .to_ser_ref = to_ser_ref,
  .to_ser_unref = to_ser_unref, .to_sample = to_sample, .to_untyped = to_untyped,
  .untyped_to_sample = untyped_to_sample, .free = free_serdata, .print = print, .get_keyhash = get_keyhash};

static void free_sertype(struct ddsi_sertype *type)
{
  ddsi_sertype_fini(type);
  free(type);
}

static void zero_samples(const struct ddsi_sertype *type, void *samples, size_t count)
{
  (void) type;
  memset(samples, 0, count * sizeof(struct raw_sample));
}

static void realloc_samples(
  void **ptrs, const struct ddsi_sertype *type, void *old, size_t old_count, size_t count)
{
  (void) type;
  struct raw_sample *samples = realloc(old, count * sizeof *samples);
  if (count > old_count) {
    memset(samples + old_count, 0, (count - old_count) * sizeof *samples);
  }
  for (size_t i = 0; i < count; i++) {
    ptrs[i] = &samples[i];
  }
}

static void free_samples(const struct ddsi_sertype *type, void **ptrs, size_t count, dds_free_op_t op)
{
  (void) type;
  if (op & DDS_FREE_CONTENTS_BIT) {
    for (size_t i = 0; i < count; i++) {
      free(((struct raw_sample *) ptrs[i])->bytes);
      ((struct raw_sample *) ptrs[i])->bytes = NULL;
    }
  }
  if (op & DDS_FREE_ALL_BIT) {
    free(ptrs[0]);
  }
}

static bool equal(const struct ddsi_sertype *a, const struct ddsi_sertype *b)
{
  return strcmp(a->type_name, b->type_name) == 0;
}

static uint32_t hash(const struct ddsi_sertype *type)
{
  (void) type;
  return 0;
}

static const struct ddsi_sertype_ops sertype_ops = {
  .version = ddsi_sertype_v0, .free = free_sertype, .zero_samples = zero_samples,
  .realloc_samples = realloc_samples, .free_samples = free_samples, .equal = equal, .hash = hash};

static int fail(const char *what, dds_return_t code)
{
  fprintf(stderr, "cyclone_peer: %s: %s\n", what, dds_strretcode(code));
  return 1;
}

int main(int argc, char **argv)
{
  bool publisher = argc >= 6 && strcmp(argv[1], "pub") == 0;
  if (!(publisher || (argc >= 6 && strcmp(argv[1], "sub") == 0))) {
    fprintf(stderr, "usage: cyclone_peer sub TOPIC TYPE COUNT TIMEOUT_S [best_effort]\n"
                    "       cyclone_peer pub TOPIC TYPE HEX TIMEOUT_S [best_effort]\n");
    return 2;
  }
  const char *domain = getenv("ROS_DOMAIN_ID");
  double timeout_s = atof(argv[5]);
  bool best_effort = argc > 6 && strcmp(argv[6], "best_effort") == 0;

  dds_entity_t participant = dds_create_participant(domain ? (dds_domainid_t) atoi(domain) : 0, NULL, NULL);
  if (participant < 0) {
    return fail("participant", participant);
  }
  struct ddsi_sertype *type = calloc(1, sizeof *type);
  ddsi_sertype_init(type, argv[3], &sertype_ops, &serdata_ops, true);
  dds_qos_t *qos = dds_create_qos();
  dds_qset_reliability(qos, best_effort ? DDS_RELIABILITY_BEST_EFFORT : DDS_RELIABILITY_RELIABLE, DDS_SECS(1));
  dds_qset_durability(qos, DDS_DURABILITY_VOLATILE);
  dds_qset_history(qos, DDS_HISTORY_KEEP_ALL, 0);
  dds_entity_t topic = dds_create_topic_sertype(participant, argv[2], &type, qos, NULL, NULL);
  if (topic < 0) {
    return fail("topic", topic);
  }
  dds_time_t deadline = dds_time() + (dds_duration_t) (timeout_s * 1e9);
  int code = 4;

  if (publisher) {
    const char *hex = argv[4];
    struct raw_sample sample = {strlen(hex) / 2, malloc(strlen(hex) / 2 + 1)};
    for (size_t i = 0; i < sample.size; i++) {
      unsigned byte = 0;
      sscanf(hex + 2 * i, "%2x", &byte);
      sample.bytes[i] = (unsigned char) byte;
    }
    dds_entity_t writer = dds_create_writer(participant, topic, qos, NULL);
    if (writer < 0) {
      return fail("writer", writer);
    }
    dds_publication_matched_status_t matched = {0};
    while (matched.current_count == 0 && dds_time() < deadline) {
      dds_sleepfor(DDS_MSECS(2));
      dds_get_publication_matched_status(writer, &matched);
    }
    if (matched.current_count > 0) {
      if (best_effort) {
        dds_sleepfor(DDS_MSECS(250)); /* nothing is resent: let the reader match the writer too */
      }
      dds_return_t written = dds_write(writer, &sample);
      if (written < 0) {
        return fail("write", written);
      }
      code = best_effort ? 0 : dds_wait_for_acks(writer, DDS_SECS(5)) == 0 ? 0 : 4;
    }
    free(sample.bytes);
  } else {
    long count = atol(argv[4]);
    dds_entity_t reader = dds_create_reader(participant, topic, qos, NULL);
    if (reader < 0) {
      return fail("reader", reader);
    }
    long received = 0;
    while (received < count && dds_time() < deadline) {
      struct raw_sample sample = {0, NULL};
      void *samples[1] = {&sample};
      dds_sample_info_t info;
      if (dds_take(reader, samples, &info, 1, 1) == 1 && info.valid_data) {
        for (size_t i = 0; i < sample.size; i++) {
          printf("%02x", sample.bytes[i]);
        }
        printf("\n");
        fflush(stdout);
        received++;
      } else {
        dds_sleepfor(DDS_MSECS(2));
      }
      free(sample.bytes);
    }
    code = received == count ? 0 : 4;
    dds_sleepfor(DDS_MSECS(300)); /* as a node stays on: long enough to acknowledge what it took */
  }
  dds_delete_qos(qos);
  dds_delete(participant);
  return code;
}

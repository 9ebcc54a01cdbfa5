#include "line/line_schema.h"

namespace {

// Version 1: the pools, the record, and the functions the stations call.
const SchemaStep kFirst = {
    1,
    {
        // A pool gives the serial numbers first to last, the last three bytes of a MAC after
        // the prefix; next is the one it gives next (last + 1 when it is empty). A prefix may
        // have several pools, whose ranges do not overlap.
        R"sql(CREATE TABLE vellora.pool (
  prefix text NOT NULL CHECK (prefix ~ '^[0-9A-F]{2}:[0-9A-F]{2}:[0-9A-F]{2}$'),
  first integer NOT NULL,
  last integer NOT NULL,
  next integer NOT NULL,
  made timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (prefix, first),
  CHECK (0 <= first AND first <= last AND last <= 16777215),
  CHECK (first <= next AND next <= last + 1)))sql",
        // One row for each write to a module, each number taken and each label check.
        R"sql(CREATE TABLE vellora.record (
  id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  at timestamptz NOT NULL DEFAULT now(),
  changed timestamptz,
  db_user text NOT NULL DEFAULT session_user,
  station text NOT NULL,
  interface text,
  pc_address inet,
  command text NOT NULL,
  mac_before macaddr,
  mac_after macaddr,
  serial integer CHECK (serial BETWEEN 0 AND 16777215),
  request bytea,
  outcome text NOT NULL CHECK (outcome IN ('taken', 'sending', 'sent', 'confirmed',
    'not confirmed', 'not sent', 'refused', 'label ok', 'label wrong')),
  reason text,
  label text,
  mac_found macaddr))sql",
        // A MAC made from a pool is given once, whatever happens to the pools.
        "CREATE UNIQUE INDEX record_taken_once ON vellora.record (mac_after) "
        "WHERE serial IS NOT NULL",
        "CREATE INDEX record_mac_after ON vellora.record (mac_after)",
        "CREATE INDEX record_mac_before ON vellora.record (mac_before)",
        "CREATE INDEX record_mac_found ON vellora.record (mac_found)",
        "CREATE INDEX record_at ON vellora.record (at)",
        "CREATE INDEX record_station_at ON vellora.record (station, at)",

        // Takes the next number of the lowest pool of the prefix that has one, and writes the
        // row "taken by the station for the module", in one transaction. Only the pool's row
        // lock orders the stations, and it is held until the commit; so the commit does not
        // wait for the disk here. keep_request, which the caller runs next and before any
        // request leaves, commits synchronously, and the log is flushed in order: it makes
        // this commit durable too. A number is never returned: a take whose caller goes away
        // leaves its row "taken". With no number left, the row is one of NULLs and counts.
        R"sql(CREATE FUNCTION vellora.take_number(p_prefix text, p_station text,
    p_interface text, p_pc_address inet, p_command text, p_mac_before macaddr)
  RETURNS TABLE (taken_id bigint, taken_serial integer, taken_mac macaddr,
                 numbers_left bigint, numbers_given bigint, pool_count integer,
                 lowest integer, highest integer)
  LANGUAGE plpgsql SECURITY DEFINER SET search_path = vellora, pg_temp
AS $$
DECLARE
  v_first integer;
  v_serial integer;
  v_hex text;
BEGIN
  PERFORM set_config('synchronous_commit', 'off', true);
  SELECT p.first INTO v_first FROM pool p
   WHERE p.prefix = p_prefix AND p.next <= p.last
   ORDER BY p.first LIMIT 1 FOR UPDATE;
  IF NOT FOUND THEN
    RETURN QUERY SELECT NULL::bigint, NULL::integer, NULL::macaddr, 0::bigint,
        coalesce(sum(p.next - p.first), 0)::bigint, count(*)::integer, min(p.first),
        max(p.last)
      FROM pool p WHERE p.prefix = p_prefix;
    RETURN;
  END IF;
  UPDATE pool p SET next = p.next + 1 WHERE p.prefix = p_prefix AND p.first = v_first
    RETURNING p.next - 1 INTO v_serial;
  v_hex := lpad(to_hex(v_serial), 6, '0');
  RETURN QUERY
  INSERT INTO record AS r (station, interface, pc_address, command, mac_before, mac_after,
                           serial, outcome)
  VALUES (p_station, p_interface, p_pc_address, p_command, p_mac_before,
          (p_prefix || ':' || substr(v_hex, 1, 2) || ':' || substr(v_hex, 3, 2) || ':' ||
           substr(v_hex, 5, 2))::macaddr,
          v_serial, 'taken')
  RETURNING r.id, r.serial, r.mac_after,
    (SELECT sum(q.last - q.next + 1) FROM pool q WHERE q.prefix = p_prefix)::bigint,
    (SELECT sum(q.next - q.first) FROM pool q WHERE q.prefix = p_prefix)::bigint,
    (SELECT count(*) FROM pool q WHERE q.prefix = p_prefix)::integer,
    (SELECT min(q.first) FROM pool q WHERE q.prefix = p_prefix),
    (SELECT max(q.last) FROM pool q WHERE q.prefix = p_prefix);
END
$$)sql",

        // Stores the bytes of the request that carries a taken number, before it leaves.
        // Committed synchronously (see take_number). False when the row is no fresh take.
        R"sql(CREATE FUNCTION vellora.keep_request(p_id bigint, p_request bytea)
  RETURNS boolean
  LANGUAGE plpgsql SECURITY DEFINER SET search_path = vellora, pg_temp
AS $$
BEGIN
  IF current_setting('synchronous_commit') = 'off' THEN
    PERFORM set_config('synchronous_commit', 'on', true);
  END IF;
  UPDATE record SET request = p_request, changed = now()
   WHERE id = p_id AND outcome = 'taken' AND request IS NULL;
  RETURN FOUND;
END
$$)sql",

        // Writes a row for a write that takes no number, or for a label check. A write's row
        // is "sending" until its outcome is known; a take's rows come from take_number only.
        R"sql(CREATE FUNCTION vellora.add_record(p_station text, p_interface text,
    p_pc_address inet, p_command text, p_mac_before macaddr, p_mac_after macaddr,
    p_request bytea, p_outcome text, p_reason text, p_label text, p_mac_found macaddr)
  RETURNS bigint
  LANGUAGE plpgsql SECURITY DEFINER SET search_path = vellora, pg_temp
AS $$
DECLARE
  v_id bigint;
BEGIN
  IF p_outcome NOT IN ('sending', 'refused', 'label ok', 'label wrong') THEN
    RAISE EXCEPTION 'a new row cannot be "%"', p_outcome USING ERRCODE = '22023';
  END IF;
  IF current_setting('synchronous_commit') = 'off' THEN
    PERFORM set_config('synchronous_commit', 'on', true);
  END IF;
  INSERT INTO record (station, interface, pc_address, command, mac_before, mac_after,
                      request, outcome, reason, label, mac_found)
  VALUES (p_station, p_interface, p_pc_address, p_command, p_mac_before, p_mac_after,
          p_request, p_outcome, p_reason, p_label, p_mac_found)
  RETURNING id INTO v_id;
  RETURN v_id;
END
$$)sql",

        // Moves a row on to its outcome; a row never moves back. Yields the outcome the row
        // had (nothing: no such row) and whether it moved.
        R"sql(CREATE FUNCTION vellora.set_outcome(p_id bigint, p_outcome text, p_reason text)
  RETURNS TABLE (was text, moved boolean)
  LANGUAGE plpgsql SECURITY DEFINER SET search_path = vellora, pg_temp
AS $$
DECLARE
  v_was text;
  v_moves boolean;
BEGIN
  IF current_setting('synchronous_commit') = 'off' THEN
    PERFORM set_config('synchronous_commit', 'on', true);
  END IF;
  SELECT r.outcome INTO v_was FROM record r WHERE r.id = p_id FOR UPDATE;
  IF NOT FOUND THEN
    RETURN QUERY SELECT NULL::text, false;
    RETURN;
  END IF;
  v_moves := (v_was IN ('taken', 'sending')
              AND p_outcome IN ('sent', 'confirmed', 'not confirmed', 'not sent', 'refused'))
          OR (v_was IN ('sent', 'not confirmed') AND p_outcome IN ('confirmed', 'not confirmed'));
  IF v_moves THEN
    UPDATE record SET outcome = p_outcome, reason = p_reason, changed = now() WHERE id = p_id;
  END IF;
  RETURN QUERY SELECT v_was, v_moves;
END
$$)sql",
        // Functions are callable by everyone unless said otherwise.
        "REVOKE ALL ON ALL FUNCTIONS IN SCHEMA vellora FROM PUBLIC",
    }};

}  // namespace

const std::vector<SchemaStep>& SchemaSteps() {
  static const std::vector<SchemaStep> kSteps = {kFirst};
  return kSteps;
}

int SchemaVersion() {
  return SchemaSteps().back().Version;
}

const std::vector<const char*>& StationGrants() {
  static const std::vector<const char*> kGrants = {
      R"sql(DO $$
BEGIN
  IF EXISTS (SELECT FROM pg_roles WHERE rolname = 'vellora_station') THEN
    GRANT USAGE ON SCHEMA vellora TO vellora_station;
    GRANT SELECT ON ALL TABLES IN SCHEMA vellora TO vellora_station;
    GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA vellora TO vellora_station;
  END IF;
END
$$)sql",
  };
  return kGrants;
}

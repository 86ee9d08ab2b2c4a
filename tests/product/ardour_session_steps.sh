# Sourced by the Ardour session tests: the create and reload scripts and the retrying runner
# they share.
# Needs $work (a scratch folder holding the session). ardour7-lua sometimes aborts on its own
# (as ardour7-export does), so each step is tried up to three times. An aborted create can leave
# a half-made session behind, and create_session refuses a folder that holds one: each create
# attempt starts from no session.

# Writes $work/create.lua: a session with one stereo track holding the plug-in (named $1, of
# type $2) with the switches at parameter indices $3 and $4 on, saved after the engine ran.
write_create_script() {  # plugin type first-switch second-switch
  cat >"$work/create.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
Session = create_session(arg[1], "router", 48000)
assert(Session, "no session")
local tracks = Session:new_audio_track(2, 2, nil, 1, "Router",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local plugin = ARDOUR.LuaAPI.new_plugin(Session, "$1", ARDOUR.PluginType.$2, "")
assert(not plugin:isnil(), "plug-in not found")
assert(tracks:front():add_processor_by_index(plugin, 0, nil, true), "not added")
ARDOUR.LuaAPI.set_processor_param(plugin, $3, 1.0)
ARDOUR.LuaAPI.set_processor_param(plugin, $4, 1.0)
-- Switches reach the plug-in with the next blocks: let the engine process before saving.
ARDOUR.LuaAPI.usleep(1000000)
Session:save_state("", false, false, false, false, false)
-- Ardour frees a track or processor that Lua still holds after close_session() from memory
-- the session already gave back (valgrind: a read after free at exit, now and then a crash).
tracks, plugin = nil, nil
collectgarbage()
close_session()
print("saved")
LUA
}

# Writes $work/reload.lua: load the session, let the engine run, save it again.
write_reload_script() {
  cat >"$work/reload.lua" <<'LUA'
AudioEngine:set_backend("None (Dummy)", "", "")
Session = load_session(arg[1], "router")
assert(Session, "no session")
local plugin = Session:route_by_name("Router"):nth_plugin(0)
assert(not plugin:isnil(), "plug-in missing after loading")
ARDOUR.LuaAPI.usleep(1000000)
Session:save_state("", false, false, false, false, false)
-- As in create.lua: nothing of the session stays held past close_session().
plugin = nil
collectgarbage()
close_session()
print("saved")
LUA
}

run() {  # script [fresh: remove the session before each attempt]
  for attempt in 1 2 3; do
    [ "${2:-}" = fresh ] && rm -rf "$work/session"
    if timeout 120 ardour7-lua "$1" "$work/session" >"$work/log" 2>&1 && grep -q '^saved' "$work/log"; then
      return 0
    fi
    echo "ardour7-lua $(basename "$1"), attempt $attempt:"; tail -5 "$work/log"
  done
  return 1
}

# The whole round: create and save, check, load and save again, check. $1 checks the saved
# session, given what it is checking.
create_and_reload() {  # check
  run "$work/create.lua" fresh || exit 1
  "$1" "saved session" || exit 1
  run "$work/reload.lua" || exit 1
  "$1" "session loaded and saved again" || exit 1
}

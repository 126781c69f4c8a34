-- Run by ardour7-lua or ardour8-lua: records the Dummy backend's "Impulses" input on a new
-- track, mono for the LADSPA and LV2 plugins and stereo for the VST3 one,
-- inserts one plugin on it and exports the session range.
-- Usage: ardourN-lua ardour_record_export.lua SESSION_DIR EXPORT_DIR SECONDS
--                   ladspa|lv2|vst3 PLUGIN_ID EXPORT_PRESET_ID
-- Prints tab-separated lines for the caller: TAKE (one per channel), RANGE,
-- PLUGIN, PRESET (one per program Ardour lists for a VST3 plugin), LATENCY,
-- EXPORTED.

-- Prints one line for the caller at once: if Ardour crashes on its way out,
-- what it buffered would be lost.
local function report(...)
	io.stdout:write(string.format(...), "\n")
	io.stdout:flush()
end

local session_dir, export_dir, seconds, kind, plugin_id, preset_id =
	arg[1], arg[2], tonumber(arg[3]), arg[4], arg[5], arg[6]

local backend = AudioEngine:set_backend("None (Dummy)", "", "")
assert(backend, "no Dummy backend")
assert(backend:set_device_name("Impulses") == 0, "no Impulses device")

local s = create_session(session_dir, "take", 48000)
assert(s, "cannot create the session")

-- One input and output per channel: the track's outputs feed the master's
-- inputs with no panner, so each exported channel holds the track's samples.
local channels = kind == "vst3" and 2 or 1
local track = s:new_audio_track(channels, channels, nil, 1, "take",
	ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false):front()
if channels == 2 then
	track:panner_shell():set_bypassed(true)
end

track:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
s:maybe_enable_record(false)
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
sleep(seconds)
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
sleep(1)
-- Disarmed, the track plays from disk, so the plugin hears only the take
-- and silence, never the live input.
track:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
s:disable_record(false, false)

-- Ardour gives a new region short fades at both ends; without them the
-- region plays back the take exactly as recorded.
for r in track:playlist():region_list():iter() do
	local audio = r:to_audioregion()
	audio:set_fade_in_active(false)
	audio:set_fade_out_active(false)
	for c = 0, audio:n_channels() - 1 do
		report("TAKE\t%d\t%d\t%s", r:position():samples(), r:length():samples(),
			r:source(c):to_filesource():path())
	end
end

local types = { ladspa = ARDOUR.PluginType.LADSPA, lv2 = ARDOUR.PluginType.LV2,
	vst3 = ARDOUR.PluginType.VST3 }
local ptype = types[kind]
local proc = ARDOUR.LuaAPI.new_plugin(s, plugin_id, ptype, "")
assert(not proc:isnil(), "plugin not found: " .. plugin_id)
assert(track:add_processor_by_index(proc, 0, nil, true) == 0, "cannot insert the plugin")
local plugin = proc:to_insert():plugin(0)
report("PLUGIN\t%s\t%s\t%s", plugin:name(), plugin:unique_id(), plugin:get_info().path)
-- The VST3 plugin's own presets, by the URIs Ardour gives the programs it
-- lists: Ardour 7's Lua API has no list of a plugin's presets, only a look-up.
for i = 0, kind == "vst3" and 99 or -1 do
	local preset = plugin:preset_by_uri(string.format("VST3-P:%s:%04d", plugin:unique_id(), i))
	if not preset then break end
	report("PRESET\t%s\t%s", preset.label, preset.uri)
end
sleep(1)
report("LATENCY\t%d", proc:signal_latency())

local start, finish = s:current_start_sample(), s:current_end_sample()
report("RANGE\t%d\t%d", start, finish)
local export = s:simple_export()
assert(export:set_preset(preset_id), "no export preset " .. preset_id)
export:set_folder(export_dir)
export:set_name("export")
export:set_range(start, finish)
assert(export:run_export(), "export failed")
report("EXPORTED\t%s/export.wav", export_dir)
s:save_state("", false, false, false, false, false)
close_session()

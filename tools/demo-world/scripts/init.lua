-- TavClient scripts for the demo world. Copy this folder into a profile as
-- profiles/<name>/scripts/ (the profile "demo" of tavclient-demo, for one) and reload
-- the scripts. The world sends GMCP Char.Vitals {"hp", "maxhp", ...} whenever the prompt's
-- numbers change and Room.Info {"num", "name", "exits"} on every room entered.

local RED, ORANGE, RESET = "\27[1;31m", "\27[33m", "\27[0m"

-- Below a third of the hit points: the demo world has no healing spell, and hit points
-- come back by themselves, so the way to heal is to leave what hurts. The thorns of the
-- Forest Path are the only thing there that does.
local low = false
tav.on("gmcp", function(package, vitals)
    if package ~= "Char.Vitals" or not vitals or not vitals.hp or not vitals.maxhp then
        return
    end
    if vitals.hp * 3 >= vitals.maxhp then
        low = false
        return
    end
    if low then return end
    low = true
    tav.echo(RED .. "Hit points low: " .. vitals.hp .. "/" .. vitals.maxhp .. RESET)
    local room = tav.gmcp.Room and tav.gmcp.Room.Info
    if room and room.name == "Forest Path" then
        tav.echo(ORANGE .. "Leaving the thorns to heal." .. RESET)
        tav.send("south")
    end
end)

-- Every scratch of the thorns, counted across sessions in tav.vars.
tav.trigger("^The thorns scratch you! \\((\\d+) hit points\\)$", function(line, m)
    tav.vars.scratches = (tav.vars.scratches or 0) + 1
    tav.vars.lost = (tav.vars.lost or 0) + tonumber(m[1])
end, {regex = true, highlight = {fg = "#FF8000"}})

-- "hp": the vitals as the game sent them last, and what the thorns took so far.
tav.alias("hp", function()
    local v = tav.gmcp.Char and tav.gmcp.Char.Vitals
    if not v then
        tav.echo("No vitals from the game yet.")
        return
    end
    tav.echo(string.format("%d/%d hp  %d/%d m  %d/%d mv  (thorns: %d scratches, %d hp)",
        v.hp or 0, v.maxhp or 0, v.mp or 0, v.maxmp or 0, v.mv or 0, v.maxmv or 0,
        tav.vars.scratches or 0, tav.vars.lost or 0))
end)

-- "thorns 3" at the North Gate: into the Forest Path and back, three times (at most ten).
tav.alias("^thorns (\\d+)$", function(line, m)
    for _ = 1, math.min(tonumber(m[1]), 10) do
        tav.send("north\nsouth")
    end
end, {regex = true})

tav.on("connect", function()
    tav.echo("Demo scripts ready: type hp, or thorns 3 at the North Gate.")
end)

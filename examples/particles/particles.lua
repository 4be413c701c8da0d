-- particles.lua: a fountain of sparks, drawn by frame(t) on every pass (t counts passes).
-- Change this file while the example runs and press R to load it again. A script with a
-- mistake shows Lua's message on the screen, and the last script that loaded goes on.
--
-- The example gives Lua these functions, in world units with (0, 0) at the screen's centre,
-- colours from 0 to 255:
--   drawrect(x1, y1, x2, y2, r, g, b [, a [, fill]])   drawline(x1, y1, x2, y2, r, g, b [, a])
--   drawcircle(x, y, radius, r, g, b [, a [, fill]])   drawdot(x, y, r, g, b [, a])
--   mod(a, b): the remainder with the sign of b        rand(): 0 to 1; rand(n): 1 to n;
--                                                      rand(m, n): m to n

local sparks = 200   -- sparks in the air at once
local life = 110     -- passes a spark flies
local gravity = 0.12 -- pulls a spark down this much more on every pass

function frame(t)
  -- stars twinkling at random in the night sky
  for i = 1, 30 do
    drawdot(rand(-256, 255), rand(-256, 100), 200, 200, 255)
  end

  -- the ground, and rays turning slowly around the fountain's mouth
  drawrect(-256, 160, 255, 255, 30, 50, 40, 255, true)
  for i = 0, 7 do
    local a = (t / 240 + i / 8) * 2 * math.pi
    drawline(0, 150, math.cos(a) * 60, 150 + math.sin(a) * 24, 90, 70, 160)
  end

  -- each spark flies a parabola from the mouth; its number staggers its launch
  for i = 1, sparks do
    local age = mod(t + i * 7, life)
    local angle = (mod(i * 37, 100) / 100 - 0.5) * 1.4
    local speed = 4 + mod(i * 53, 30) / 10
    local x = math.sin(angle) * speed * age
    local y = 150 - math.cos(angle) * speed * age + gravity * age * age / 2
    local heat = 1 - age / life
    if y < 160 then -- above the ground
      drawcircle(x, y, 1 + heat * 3, 255, 80 + heat * 175, heat * 120, 255, true)
    end
  end
end

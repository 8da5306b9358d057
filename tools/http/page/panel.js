// The panel page: draws the card's panel from /api/panel, colours it from
// every state /api/events pushes, and (when the server allows writes)
// switches a line on a click on its output lamp and a group's direction on
// a click on its I or O box.
"use strict";

const SVG = "http://www.w3.org/2000/svg";
const ON = "#ff0000", OFF = "#ffffff", INPUT_FRAME = "#00ff00", OUTPUT_FRAME = "#008000";
const LAMP_RADIUS = 8;  // a 17 x 17 Ellipse box, right and bottom edges exclusive

const page = { layout: null, state: null, lamps: [], frames: [] };

function element(name, attributes) {
  const node = document.createElementNS(SVG, name);
  for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
  return node;
}

function say(text, fault) {
  const status = document.getElementById("status");
  status.textContent = text;
  status.className = fault ? "fault" : "";
}

async function post(path, body) {
  try {
    const answer = await fetch(path, {
      method: "POST",
      headers: { "Content-Type": "application/json" },
      body: JSON.stringify(body),
    });
    const reply = await answer.json();
    if (!answer.ok) say(reply.error ? reply.error.why : "refused: " + answer.status, true);
    else say("", false);
  } catch (error) {
    say("the server does not answer: " + error.message, true);
  }
}

function rect(at, fill) {
  return element("rect", { x: at[0], y: at[1], width: at[2] - at[0] - 1, height: at[3] - at[1] - 1,
                           fill, stroke: "#000000", "stroke-width": 1, transform: "translate(0.5 0.5)" });
}

// Text at its top-left corner; an opaque background as wide as the text.
function text(svg, item) {
  const node = element("text", { x: item.at[0], y: item.at[1], fill: item.color });
  if (item.width) {
    node.setAttribute("textLength", item.width);
    node.setAttribute("lengthAdjust", "spacing");
  }
  node.textContent = item.text;
  svg.appendChild(node);
  if (item.background) {
    const box = node.getBBox();
    svg.insertBefore(element("rect", { x: box.x, y: box.y, width: box.width, height: box.height,
                                       fill: item.background, "pointer-events": "none" }), node);
  }
}

function lamp(svg, item) {
  const node = element("circle", { cx: item.at[0] + LAMP_RADIUS + 0.5, cy: item.at[1] + LAMP_RADIUS + 0.5,
                                   r: LAMP_RADIUS, fill: OFF, stroke: "#000000", "stroke-width": 1 });
  node.dataset.line = item.line;
  if (item.side) {
    node.id = item.side + "-" + item.line;
  } else {
    node.id = "line-" + item.line;
    node.dataset.group = item.group;
  }
  node.addEventListener("click", () => clickLamp(item));
  page.lamps.push({ node, item });
  svg.appendChild(node);
}

function draw(layout) {
  const svg = document.getElementById("panel");
  svg.setAttribute("width", layout.width);
  svg.setAttribute("height", layout.height);
  svg.setAttribute("viewBox", "0 0 " + layout.width + " " + layout.height);
  for (const item of layout.items) {
    if (item.shape === "rect") svg.appendChild(rect(item.at, item.fill));
    else if (item.shape === "text") text(svg, item);
    else if (item.shape === "lamp") lamp(svg, item);
    else if (item.shape === "frame") {
      const node = rect(item.at, INPUT_FRAME);
      page.frames.push({ node, item });
      svg.appendChild(node);
    } else if (item.shape === "box") {
      const node = rect(item.at, item.fill);
      node.addEventListener("click", () => clickBox(item));
      node.dataset.direction = item.direction;
      page.frames.push({ node, item, box: true });
      svg.appendChild(node);
    }
  }
}

function groupIsOutput(group) {
  return page.state.groups[group].direction === "out";
}

// A lamp shows its line: an output lamp what the card drives, an input lamp
// what it reads; on an 8255 card the group's direction decides.
function lampValue(item) {
  const output = item.side ? item.side === "output" : groupIsOutput(item.group);
  return output ? page.state.outputs.outputs[item.line] : page.state.inputs.inputs[item.line];
}

function switchable(item) {
  if (!page.state || !page.state.writes) return false;
  return item.side ? item.side === "output" : groupIsOutput(item.group);
}

function show(state) {
  page.state = state;
  for (const { node, item } of page.lamps) {
    node.setAttribute("fill", lampValue(item) ? ON : OFF);
    node.classList.toggle("switch", switchable(item));
  }
  for (const { node, item, box } of page.frames) {
    const label = state.groups[item.group].group;
    if (box) {
      node.id = "box-" + label + "-" + item.direction;
      node.classList.toggle("switch", state.writes);
    } else {
      node.id = "frame-" + label;
      node.setAttribute("fill", groupIsOutput(item.group) ? OUTPUT_FRAME : INPUT_FRAME);
    }
  }
  document.body.dataset.sequence = state.sequence;
  if (state.fault) say(state.fault, true);
}

function clickLamp(item) {
  if (!switchable(item)) return;
  post("/api/lines", { lines: [{ line: item.line, output: lampValue(item) ? 0 : 1 }] });
}

function clickBox(item) {
  if (!page.state || !page.state.writes) return;
  post("/api/direction", { group: page.state.groups[item.group].group, direction: item.direction });
}

function describe(state) {
  const card = state.card;
  document.getElementById("card").textContent =
    card.kind + " card " + card.number + " at " + card.base.toString(16).toUpperCase() + "H";
  const mode = document.getElementById("mode");
  mode.textContent = state.writes
    ? "Click an output lamp to switch its line" + (state.groups.length ? ", an I or O box to set its group." : ".")
    : "Read-only: the server was started without --allow-writes; nothing on this page switches.";
  mode.className = state.writes ? "" : "read-only";
}

async function start() {
  page.layout = await (await fetch("/api/panel")).json();
  const title = page.layout.title.charAt(0).toUpperCase() + page.layout.title.slice(1);
  document.title = title + " panel";
  document.getElementById("title").textContent = title;
  draw(page.layout);
  const events = new EventSource("/api/events");
  let first = true;
  events.onmessage = (event) => {
    const state = JSON.parse(event.data);
    if (first) describe(state);
    first = false;
    show(state);
  };
  events.onerror = () => say("the server does not answer; trying again", true);
  events.onopen = () => { if (!first) say("", false); };
}

start();

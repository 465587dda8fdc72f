// The virtual printer's page: the tickets as they come (from the event stream) and the
// printer's switches. Plain script, no libraries, nothing fetched from elsewhere.
"use strict";

const LABELS = {
  paper_out: "Paper out", cover_open: "Cover open", near_end: "Paper near end",
  head_voltage: "Head voltage out of range", cutter: "Cutter jammed",
  black_mark: "Black mark not found", temperature: "Head too hot",
  hardware: "Hardware fault", silent: "Silent (answers no request)",
  busy_forever: "Busy (parallel port)",
};

const FAULTS = new Set(["silent", "busy_forever"]);

const $ = (id) => document.getElementById(id);

function api(path, options) {
  return fetch(path, options).then((r) => r.json().then((body) => {
    if (!r.ok) throw new Error(body.error || r.statusText);
    return body;
  }));
}

function ticketUrl(t, ext) {
  return "/api/tickets/" + t.number + (ext ? "." + ext : "");
}

function describeSize(t) {
  const bytes = t.bytes < 0 ? "bytes not known" : t.bytes.toLocaleString() + " bytes";
  return bytes + " · " + t.dots.toLocaleString() + " dots long";
}

function card(t, fresh) {
  const li = $("ticket-card").content.firstElementChild.cloneNode(true);
  li.id = "ticket-" + t.number;
  if (fresh) li.classList.add("fresh");
  const img = li.querySelector(".picture");
  if (t.pictures.length) img.src = ticketUrl(t, "png"); else img.alt = "no picture saved";
  li.querySelector(".number").textContent = "No. " + t.number +
      (t.pictures.length > 1 ? " (" + t.pictures.length + " parts)" : "");
  li.querySelector(".time").textContent = new Date(t.time_ms).toLocaleString() +
      (t.source ? " · " + t.source : "");
  li.querySelector(".size").textContent = describeSize(t);
  li.querySelector("a.png").href = ticketUrl(t, "png");
  for (const [cls, ok] of [["bin", t.has_bin], ["log", t.has_log]]) {
    const a = li.querySelector("a." + cls);
    if (ok) a.href = ticketUrl(t, cls); else a.removeAttribute("href");
  }
  const open = (e) => { e.preventDefault(); showCommands(t.number); };
  li.querySelector("a.open").addEventListener("click", open);
  li.querySelector("a.cmds").addEventListener("click", open);
  return li;
}

function addTicket(t, fresh) {
  const old = $("ticket-" + t.number);
  if (old) old.remove();
  $("tickets").prepend(card(t, fresh));
  $("empty").hidden = true;
  $("progress").hidden = true;
}

function loadTickets() {
  return api("/api/tickets").then((list) => {
    $("tickets").replaceChildren();
    list.reverse().forEach((t) => addTicket(t, false));
    $("empty").hidden = list.length > 0;
  });
}

function showCommands(number) {
  api("/api/tickets/" + number).then((t) => {
    $("commands-title").textContent = "Ticket " + number + ": " + describeSize(t);
    const rows = (t.commands || []).map((c) => {
      const tr = document.createElement("tr");
      tr.className = c.kind;
      const hex = c.hex === undefined ? "" : c.hex + (c.length * 3 - 1 > c.hex.length ? " …" : "");
      const cells = [c.at === null ? "" : c.at, hex,
                     c.name + (c.params ? " " + c.params : ""), c.note];
      cells.forEach((text, i) => {
        const td = document.createElement("td");
        td.textContent = text;
        if (i === 1) td.className = "hex";
        tr.append(td);
      });
      return tr;
    });
    $("commands-body").replaceChildren(...rows);
    $("commands-more").textContent = t.commands ? (t.commands_left_out
        ? t.commands_left_out + " more log entries are in its log file." : "")
        : "This ticket was printed before its commands were kept; its picture is all there is.";
    $("commands").showModal();
  }).catch((e) => alert(e.message));
}

function showPrinter(p) {
  for (const [name, on] of Object.entries(p.switches)) {
    let input = $("switch-" + name);
    if (!input) {
      const label = document.createElement("label");
      label.className = "switch";
      input = document.createElement("input");
      input.type = "checkbox";
      input.id = "switch-" + name;
      input.addEventListener("change", () => setSwitch(name, input));
      const text = document.createElement("span");
      text.textContent = LABELS[name] || name.replace(/_/g, " ");
      label.append(input, text);
      $(FAULTS.has(name) ? "faults" : "switches").append(label);
    }
    input.checked = on;
  }
  $("interfaces").replaceChildren(...p.interfaces.map((i) => {
    const li = document.createElement("li");
    const state = i.connected === null ? "" : i.connected ? " · client connected" : " · no client";
    li.append(i.name + " ", Object.assign(document.createElement("span"),
        { className: "address", textContent: i.address }), state);
    return li;
  }));
  $("paper").textContent = p.paper.mm + " mm, " + p.paper.dots + " printable dots";
}

function setSwitch(name, input) {
  $("switch-error").hidden = true;
  api("/api/printer/conditions", {
    method: "PUT", headers: { "Content-Type": "application/json" },
    body: JSON.stringify({ [name]: input.checked }),
  }).then(showPrinter).catch((e) => {
    input.checked = !input.checked;
    $("switch-error").textContent = e.message;
    $("switch-error").hidden = false;
  });
}

function listen() {
  const events = new EventSource("/api/events");
  let broken = false;
  events.onopen = () => {
    $("link").textContent = "live";
    $("link").className = "link live";
    // Back after a break (the printer may have restarted): what the page shows may be old.
    if (broken) api("/api/printer").then(showPrinter).then(loadTickets);
    broken = false;
  };
  events.onerror = () => {
    broken = true;
    $("link").textContent = "reconnecting…";
    $("link").className = "link";
  };
  events.addEventListener("ticket", (e) => addTicket(JSON.parse(e.data), true));
  events.addEventListener("printer", (e) => showPrinter(JSON.parse(e.data)));
  events.addEventListener("cleared", () => loadTickets());
  events.addEventListener("missed", () => loadTickets());
  events.addEventListener("progress", (e) => {
    const p = JSON.parse(e.data);
    $("progress").textContent = "Receiving a ticket on " + p.source + ": " +
        p.bytes.toLocaleString() + " bytes so far…";
    $("progress").hidden = p.bytes === 0;
  });
}

$("clear").addEventListener("click", () => {
  api("/api/tickets", { method: "DELETE" }).catch((e) => alert(e.message));
});

listen();
api("/api/printer").then(showPrinter);
loadTickets();

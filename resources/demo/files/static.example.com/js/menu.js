// Northwind Tea House: marks the navigation item of the page being shown.
(function () {
  "use strict";

  function markCurrentPage() {
    var links = document.querySelectorAll("nav a");
    for (var i = 0; i < links.length; i++) {
      if (links[i].href === window.location.href) {
        links[i].parentNode.className = "open";
      }
    }
  }

  document.addEventListener("DOMContentLoaded", markCurrentPage);
})();
